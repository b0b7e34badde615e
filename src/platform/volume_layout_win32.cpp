// Volume layout on Windows: GetDiskFreeSpaceExA, FSCTL_GET_RETRIEVAL_POINTERS for a file's
// clusters and FSCTL_GET_VOLUME_BITMAP for the free ones (the bitmap needs administrator
// rights, as it opens the volume itself).
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/system_error.h"
#include "platform/volume_layout.h"

namespace brimwell {
namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Why `what` was refused: the system's error only where the words do not say it already.
Failure refused(const char* what, DWORD error) {
  if (error == ERROR_ACCESS_DENIED)
    return Failure(std::string(what) + " needs administrator rights");
  if (error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED) {
    return Failure(std::string("the file system does not report ") + what);
  }
  return Failure(what, std::nullopt, systemError(static_cast<int>(error)));
}

// A file whose map cannot be read: the system's words for `error`, and the error itself.
Failure unreadable(const std::string& path, DWORD error) {
  const auto number = static_cast<int>(error);
  return Failure(systemWords(number), path, systemError(number));
}

// The root of the volume holding `path`, such as "C:\\".
std::string volumeRoot(const std::string& path) {
  char root[MAX_PATH + 1] = {};
  if (!GetVolumePathNameA(path.c_str(), root, MAX_PATH)) return path.substr(0, 3);
  return root;
}

std::uint64_t clusterBytes(const std::string& path) {
  DWORD sectorsPerCluster = 0;
  DWORD bytesPerSector = 0;
  DWORD freeClusters = 0;
  DWORD clusters = 0;
  if (!GetDiskFreeSpaceA(volumeRoot(path).c_str(), &sectorsPerCluster, &bytesPerSector,
                         &freeClusters, &clusters)) {
    return 0;
  }
  return static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
}

void appendMerged(std::vector<Extent>& out, const Extent& next) {
  if (!out.empty()) {
    Extent& last = out.back();
    if (last.physical + last.length == next.physical &&
        last.logical + last.length == next.logical) {
      last.length += next.length;
      return;
    }
  }
  out.push_back(next);
}

}  // namespace

void settleVolume(const std::string&) {}

Expected<VolumeSpace> readVolumeSpace(const std::string& path) {
  ULARGE_INTEGER available{};
  ULARGE_INTEGER total{};
  ULARGE_INTEGER free{};
  if (!GetDiskFreeSpaceExA(path.c_str(), &available, &total, &free)) {
    return refused("the volume's size", GetLastError());
  }
  VolumeSpace out;
  out.totalBytes = total.QuadPart;
  out.freeBytes = free.QuadPart;
  out.availableBytes = available.QuadPart;
  out.blockSize = static_cast<std::uint32_t>(clusterBytes(path));
  char mount[MAX_PATH * 4];
  out.mountPoint = GetVolumePathNameA(path.c_str(), mount, sizeof mount) ? mount : path;
  char type[MAX_PATH + 1];
  if (GetVolumeInformationA(out.mountPoint.c_str(), nullptr, 0, nullptr, nullptr, nullptr, type,
                            sizeof type)) {
    out.fileSystem = type;
  }
  out.fileRecordBytes = out.fileSystem == "NTFS" ? kNtfsFileRecordBytes : 0;
  return out;
}

struct FileExtentReader::State {
  std::string root;  // the volume last asked about, and its cluster size
  std::uint64_t cluster = 0;
  std::vector<std::uint64_t> buffer;
};

// Every extent's place is read here, so places are always given.
FileExtentReader::FileExtentReader(bool /*placesWanted*/) : state_(std::make_unique<State>()) {
  state_->buffer.resize(64 * 1024 / sizeof(std::uint64_t));
}

FileExtentReader::~FileExtentReader() = default;

Expected<FileMap> FileExtentReader::read(const std::string& path, std::vector<Extent>& out) {
  out.clear();
  const std::string root = volumeRoot(path);
  if (root != state_->root) {
    state_->root = root;
    state_->cluster = clusterBytes(path);
  }
  const std::uint64_t cluster = state_->cluster;
  const Handle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid() || cluster == 0) return unreadable(path, GetLastError());
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(file.get(), &length)) return unreadable(path, GetLastError());
  const auto size = static_cast<std::uint64_t>(length.QuadPart);
  const auto kBytes = static_cast<DWORD>(state_->buffer.size() * sizeof(std::uint64_t));
  auto* pointers = reinterpret_cast<RETRIEVAL_POINTERS_BUFFER*>(state_->buffer.data());
  STARTING_VCN_INPUT_BUFFER input{};
  input.StartingVcn.QuadPart = 0;
  for (;;) {
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(file.get(), FSCTL_GET_RETRIEVAL_POINTERS, &input, sizeof input,
                                    pointers, kBytes, &returned, nullptr);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    // A file small enough to live in its own record has no clusters.
    if (error == ERROR_HANDLE_EOF) return FileMap{size};
    if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA) {
      return FileMap(size, refused("file extents", error));
    }
    LONGLONG vcn = pointers->StartingVcn.QuadPart;
    for (DWORD i = 0; i < pointers->ExtentCount; ++i) {
      const LONGLONG next = pointers->Extents[i].NextVcn.QuadPart;
      const LONGLONG lcn = pointers->Extents[i].Lcn.QuadPart;
      // Runs past the file's last cluster (which some file systems report) are not its own.
      const std::uint64_t from = static_cast<std::uint64_t>(vcn) * cluster;
      const std::uint64_t allocated = (size + cluster - 1) / cluster * cluster;
      if (lcn >= 0 && from < allocated) {  // -1: a hole or compressed run, with no clusters
        const std::uint64_t run = static_cast<std::uint64_t>(next - vcn) * cluster;
        appendMerged(out, {from, static_cast<std::uint64_t>(lcn) * cluster,
                           std::min(run, allocated - from)});
      }
      vcn = next;
    }
    if (error == ERROR_SUCCESS) return FileMap{size};
    input.StartingVcn.QuadPart = vcn;
  }
}

Expected<std::vector<Extent>> readFreeExtents(const std::string& path) {
  const std::uint64_t cluster = clusterBytes(path);
  std::string root = volumeRoot(path);
  if (!root.empty() && (root.back() == '\\' || root.back() == '/')) root.pop_back();
  const Handle volume(CreateFileA(("\\\\.\\" + root).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  if (!volume.valid() || cluster == 0) return refused("free-space extents", GetLastError());
  std::vector<Extent> out;
  constexpr DWORD kBytes = 1024 * 1024;
  const auto buffer = std::make_unique<std::uint64_t[]>(kBytes / sizeof(std::uint64_t));
  auto* bitmap = reinterpret_cast<VOLUME_BITMAP_BUFFER*>(buffer.get());
  STARTING_LCN_INPUT_BUFFER input{};
  input.StartingLcn.QuadPart = 0;
  for (;;) {
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(volume.get(), FSCTL_GET_VOLUME_BITMAP, &input, sizeof input,
                                    bitmap, kBytes, &returned, nullptr);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA) {
      return refused("free-space extents", error);
    }
    const auto first = static_cast<std::uint64_t>(bitmap->StartingLcn.QuadPart);
    const std::uint64_t available =
        (returned - offsetof(VOLUME_BITMAP_BUFFER, Buffer)) * std::uint64_t{8};
    const std::uint64_t bits =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(bitmap->BitmapSize.QuadPart), available);
    for (std::uint64_t bit = 0; bit < bits; ++bit) {
      if ((bitmap->Buffer[bit / 8] >> (bit % 8) & 1) != 0) continue;
      const std::uint64_t lcn = first + bit;
      if (!out.empty() && out.back().physical + out.back().length == lcn * cluster) {
        out.back().length += cluster;
      } else {
        out.push_back({0, lcn * cluster, cluster});
      }
    }
    if (error == ERROR_SUCCESS) return out;
    input.StartingLcn.QuadPart = static_cast<LONGLONG>(first + bits);
  }
}

VolumeAbilities readVolumeAbilities(const std::string& path) {
  VolumeAbilities abilities;
  DWORD flags = 0;
  if (!GetVolumeInformationA(volumeRoot(path).c_str(), nullptr, 0, nullptr, nullptr, &flags,
                             nullptr, 0)) {
    return abilities;
  }
  abilities.fileExtents = FileExtentMap::Extents;
  if ((flags & FILE_SUPPORTS_SPARSE_FILES) != 0) abilities.placement = RangePlacement::Zeros;
  // The volume bitmap is read through the volume itself, which only an elevated process opens.
  HANDLE token = nullptr;
  TOKEN_ELEVATION elevation{};
  DWORD returned = 0;
  const bool elevated =
      OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) &&
      GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &returned) &&
      elevation.TokenIsElevated != 0;
  if (token != nullptr) CloseHandle(token);
  abilities.freeExtents = elevated ? FreeExtentMap::Readable : FreeExtentMap::NeedsAdministrator;
  return abilities;
}

Expected<std::uint64_t> readUnallocatedBytes(const std::string& /*path*/) {
  return Failure("the file system keeps no unallocated space apart");
}

}  // namespace brimwell
