// Volume layout on Linux: statvfs, FS_IOC_FIEMAP for a file's extents and FS_IOC_GETFSMAP
// for the free space (ext4 and XFS report it, to the administrator only).
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <linux/fsmap.h>
#include <mntent.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/long_path_posix.h"
#include "platform/volume_layout.h"

namespace brimwell {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string errnoText(int error) { return std::strerror(error); }

// Why an ioctl the file system may lack was refused.
std::string unsupportedWhy(const char* what, int error) {
  if (error == ENOTTY || error == EOPNOTSUPP || error == EINVAL) {
    return std::string("the file system does not report ") + what;
  }
  if (error == EPERM || error == EACCES) return std::string(what) + " needs root";
  return std::string(what) + ": " + errnoText(error);
}

// Appends `next`, merged into the last extent when it continues it.
void appendMerged(std::vector<Extent>& out, const Extent& next, bool logicalToo) {
  if (!out.empty()) {
    Extent& last = out.back();
    const bool physical = last.physical + last.length == next.physical;
    const bool logical = !logicalToo || last.logical + last.length == next.logical;
    if (physical && logical) {
      last.length += next.length;
      return;
    }
  }
  out.push_back(next);
}

constexpr unsigned kMapBatch = 64;  // extents asked for at a time

// Opens a file to read its map without touching its access time (allowed to its owner).
int openForReading(int folderFd, const char* name) {
  const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  const int fd = ::openat(folderFd, name, flags | O_NOATIME);
  if (fd >= 0 || errno != EPERM) return fd;
  return ::openat(folderFd, name, flags);
}

// Whether a file that owns no block has no extent either, whatever its size. ext4 counts
// data kept inline in the inode in the stat's blocks, and XFS keeps no file data inline.
// Elsewhere (btrfs, unknown file systems) a small blockless file may still map to one
// extent, and only the map can tell.
bool blocklessMeansNoExtent(int fd) {
  constexpr long kExt4 = 0xEF53;  // ext2, ext3 and ext4
  constexpr long kXfs = 0x58465342;
  struct statfs volume {};
  if (::fstatfs(fd, &volume) != 0) return false;
  return volume.f_type == kExt4 || volume.f_type == kXfs;
}

// The folder the volume holding the folder `path` is mounted on: the highest folder of the
// resolved path that still lies on the same device.
std::string mountPointOf(const std::string& path, dev_t device) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  std::string folder = resolved;
  while (folder != "/") {
    const std::size_t slash = folder.find_last_of('/');
    const std::string parent = slash == 0 ? "/" : folder.substr(0, slash);
    struct stat above {};
    if (::stat(parent.c_str(), &above) != 0 || above.st_dev != device) break;
    folder = parent;
  }
  return folder;
}

// The type the mount table gives the volume mounted on `mountPoint` (the last mount there is
// the one in sight), or "" when it is not listed.
std::string fileSystemOf(const std::string& mountPoint) {
  std::string type;
  FILE* table = ::setmntent("/proc/self/mounts", "r");
  if (table == nullptr) return type;
  mntent entry{};
  char buffer[4096];
  while (::getmntent_r(table, &entry, buffer, sizeof buffer) != nullptr) {
    if (mountPoint == entry.mnt_dir) type = entry.mnt_type;
  }
  ::endmntent(table);
  return type;
}

}  // namespace

void settleVolume(const std::string& path) {
  // Delayed allocation places written data only when it is written out, and the blocks of
  // deleted files become free when the running transaction commits.
  const FileDescriptor folder(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (folder.get() >= 0) ::syncfs(folder.get());
}

bool readVolumeSpace(const std::string& path, VolumeSpace& out, std::string& why) {
  struct statvfs info {};
  if (::statvfs(path.c_str(), &info) != 0) {
    why = "cannot read the volume of " + path + ": " + errnoText(errno);
    return false;
  }
  const std::uint64_t unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
  out.totalBytes = static_cast<std::uint64_t>(info.f_blocks) * unit;
  out.freeBytes = static_cast<std::uint64_t>(info.f_bfree) * unit;
  out.availableBytes = static_cast<std::uint64_t>(info.f_bavail) * unit;
  out.blockSize = static_cast<std::uint32_t>(unit);
  struct stat here {};
  out.mountPoint = ::stat(path.c_str(), &here) == 0 ? mountPointOf(path, here.st_dev) : path;
  constexpr long kTmpfs = 0x01021994;
  struct statfs volume {};
  out.foldersTakeBlocks = !(::statfs(path.c_str(), &volume) == 0 && volume.f_type == kTmpfs);
  out.fileSystem = fileSystemOf(out.mountPoint);
  return true;
}

struct FileExtentReader::State {
  std::string folder;  // the folder `folderFd` is open on, with its trailing separator
  int folderFd = -1;
  bool reportsExtents = false;        // the volume has answered FIEMAP once
  bool blocklessHasNoExtent = false;  // blocklessMeansNoExtent(), asked with that answer
  std::vector<std::uint64_t> buffer;
  ~State() {
    if (folderFd >= 0) ::close(folderFd);
  }
};

FileExtentReader::FileExtentReader() : state_(std::make_unique<State>()) {
  constexpr std::size_t kBytes = sizeof(fiemap) + kMapBatch * sizeof(fiemap_extent);
  state_->buffer.resize(kBytes / sizeof(std::uint64_t) + 1);
}

FileExtentReader::~FileExtentReader() = default;

ExtentsAnswer FileExtentReader::read(const std::string& path, std::vector<Extent>& out,
                                     std::uint64_t& size, std::string& why) {
  out.clear();
  // Opened relative to its folder, which stays open for the folder's next file.
  const std::size_t slash = path.rfind('/');
  const std::string_view folder(path.data(), slash == std::string::npos ? 0 : slash + 1);
  if (folder != state_->folder) {
    if (state_->folderFd >= 0) ::close(state_->folderFd);
    state_->folder.assign(folder);
    state_->folderFd =
        openAnyLength(folder.empty() ? "." : state_->folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  const char* name = path.c_str() + folder.size();
  const bool inFolder = state_->folderFd >= 0;
  struct stat info {};
  if (::fstatat(inFolder ? state_->folderFd : AT_FDCWD, inFolder ? name : path.c_str(), &info,
                AT_SYMLINK_NOFOLLOW) != 0) {
    why = errnoText(errno);
    return ExtentsAnswer::FileUnreadable;
  }
  // A link, pipe, socket or device is a file of size 0 without extents, and never opened.
  if (!S_ISREG(info.st_mode)) {
    size = 0;
    return ExtentsAnswer::Read;
  }
  size = static_cast<std::uint64_t>(info.st_size);
  if (state_->reportsExtents && info.st_blocks == 0) {
    // A file that owns no block has no extent when it is empty or a hole of a block or more
    // (no file system keeps that much inline), or when the volume counts inline data in the
    // blocks. The stat answers without an open, the costly part of a sparse tree.
    if (info.st_size == 0 || info.st_size >= info.st_blksize || state_->blocklessHasNoExtent) {
      return ExtentsAnswer::Read;
    }
  }
  const FileDescriptor file(inFolder ? openForReading(state_->folderFd, name)
                                     : openForReading(AT_FDCWD, path.c_str()));
  if (file.get() < 0) {
    why = errnoText(errno);
    return ExtentsAnswer::FileUnreadable;
  }
  // At least one byte, so that a file system without extents says so also for an empty file.
  const auto end = std::max<std::uint64_t>(size, 1);
  const std::size_t bytes = state_->buffer.size() * sizeof(std::uint64_t);
  auto* map = reinterpret_cast<fiemap*>(state_->buffer.data());
  std::uint64_t start = 0;
  for (;;) {
    std::memset(map, 0, bytes);
    map->fm_start = start;
    // Up to the end of the file: a map asked for far beyond it costs the file system time.
    map->fm_length = end - start;
    map->fm_flags = 0;
    map->fm_extent_count = kMapBatch;
    if (::ioctl(file.get(), FS_IOC_FIEMAP, map) != 0) {
      why = unsupportedWhy("file extents", errno);
      return ExtentsAnswer::NotReported;
    }
    if (!state_->reportsExtents) {
      state_->reportsExtents = true;
      state_->blocklessHasNoExtent = blocklessMeansNoExtent(file.get());
    }
    if (map->fm_mapped_extents == 0) return ExtentsAnswer::Read;
    bool last = false;
    for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
      const fiemap_extent& record = map->fm_extents[i];
      appendMerged(out, {record.fe_logical, record.fe_physical, record.fe_length}, true);
      start = record.fe_logical + record.fe_length;
      last = last || (record.fe_flags & FIEMAP_EXTENT_LAST) != 0;
    }
    if (last || start >= end) return ExtentsAnswer::Read;
  }
}

bool readFreeExtents(const std::string& path, std::vector<Extent>& out, std::string& why) {
  out.clear();
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    why = "cannot open " + path + ": " + errnoText(errno);
    return false;
  }
  constexpr unsigned kBatch = 1024;
  const std::size_t bytes = fsmap_sizeof(kBatch);
  const auto buffer = std::make_unique<std::uint64_t[]>(bytes / sizeof(std::uint64_t) + 1);
  auto* head = reinterpret_cast<fsmap_head*>(buffer.get());
  std::memset(head, 0, bytes);
  // The whole volume: from the lowest key to the highest.
  head->fmh_keys[1].fmr_device = ~0U;
  head->fmh_keys[1].fmr_flags = ~0U;
  head->fmh_keys[1].fmr_physical = ~0ULL;
  head->fmh_keys[1].fmr_owner = ~0ULL;
  head->fmh_keys[1].fmr_offset = ~0ULL;
  for (;;) {
    head->fmh_count = kBatch;
    if (::ioctl(file.get(), FS_IOC_GETFSMAP, head) != 0) {
      why = unsupportedWhy("free-space extents", errno);
      return false;
    }
    if (head->fmh_entries == 0) return true;
    for (unsigned i = 0; i < head->fmh_entries; ++i) {
      const fsmap& record = head->fmh_recs[i];
      if (record.fmr_owner == FMR_OWN_FREE) {
        appendMerged(out, {0, record.fmr_physical, record.fmr_length}, false);
      }
    }
    const fsmap& last = head->fmh_recs[head->fmh_entries - 1];
    if ((last.fmr_flags & FMR_OF_LAST) != 0) return true;
    fsmap_advance(head);
  }
}

}  // namespace brimwell
