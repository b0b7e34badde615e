#include "platform/win32_file_system.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cctype>
#include <limits>

#include "platform/atomic_replace.h"
#include "platform/path_style.h"
#include "platform/whole_file.h"
#include "platform/windows_errors.h"

namespace brimwell {

int writeToHandle(void* handle, const void* data, std::size_t size, std::size_t& written) {
  // One request carries at most 4 GiB - 1; more is reported as a short write.
  const auto request =
      static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
  DWORD done = 0;
  const BOOL ok = WriteFile(handle, data, request, &done, nullptr);
  written = done;
  return ok ? 0 : static_cast<int>(GetLastError());
}

namespace {

// A NUL inside a path would cut it short at the call and name another file.
bool holdsNul(const std::string& path) { return path.find('\0') != std::string::npos; }

int lastError() { return static_cast<int>(GetLastError()); }

class Win32Listing : public FolderListing {
 public:
  // `handle` is null for a folder that exists but has no entry (an empty drive root).
  Win32Listing(HANDLE handle, const WIN32_FIND_DATAA& first, bool withSizes)
      : handle_(handle), pending_(first), hasPending_(handle != nullptr), withSizes_(withSizes) {}
  ~Win32Listing() override {
    if (handle_ != nullptr) FindClose(handle_);
  }
  Win32Listing(const Win32Listing&) = delete;
  Win32Listing& operator=(const Win32Listing&) = delete;

  bool next(DirEntry& entry) override {
    if (!hasPending_) return false;
    fillEntryFromFindData(pending_, withSizes_, entry);
    hasPending_ = FindNextFileA(handle_, &pending_) != 0;
    if (!hasPending_ && GetLastError() != ERROR_NO_MORE_FILES) error_ = lastError();
    return true;
  }

  int error() const override { return error_; }

 private:
  HANDLE handle_;
  WIN32_FIND_DATAA pending_;
  bool hasPending_;
  bool withSizes_;
  int error_ = 0;
};

class Win32WritableFile : public WritableFile {
 public:
  explicit Win32WritableFile(HANDLE handle) : handle_(handle) {}
  ~Win32WritableFile() override { close(); }
  Win32WritableFile(const Win32WritableFile&) = delete;
  Win32WritableFile& operator=(const Win32WritableFile&) = delete;

  int write(const void* data, std::size_t size, std::size_t& written) override {
    return writeToHandle(handle_, data, size, written);
  }

  // NTFS has no call that places a range of a file without writing it: a file's clusters
  // are taken when its length grows, all at once. A sparse file takes them range by range
  // as ranges are written, so the range is written with zeros now, which places it (in
  // whole compression units, 16 clusters), and the sparse mark is taken off at the close,
  // when the data has filled the file. A file system without sparse files places the file
  // as it is written.
  int reserve(std::uint64_t offset, std::uint64_t size, bool& placed) override {
    placed = false;
    if (size == 0) return 0;
    DWORD returned = 0;
    if (!sparse_) {
      if (!DeviceIoControl(handle_, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr)) {
        return 0;
      }
      sparse_ = true;
    }
    // A write at an offset moves the file pointer: it is put back where the data goes on.
    LARGE_INTEGER position{};
    const LARGE_INTEGER here{};
    if (!SetFilePointerEx(handle_, here, &position, FILE_CURRENT)) return lastError();
    static constexpr char kZeros[64 * 1024] = {};
    for (std::uint64_t done = 0; done < size;) {
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset + done);
      at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
      const auto request = static_cast<DWORD>(std::min<std::uint64_t>(size - done, sizeof kZeros));
      DWORD written = 0;
      if (!WriteFile(handle_, kZeros, request, &written, &at)) return lastError();
      done += written;
    }
    if (!SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN)) return lastError();
    placed = true;
    return 0;
  }

  int writeOut() override { return FlushFileBuffers(handle_) ? 0 : lastError(); }

  int close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return 0;
    if (sparse_) {
      FILE_SET_SPARSE_BUFFER whole{};
      whole.SetSparse = FALSE;
      DWORD returned = 0;
      DeviceIoControl(handle_, FSCTL_SET_SPARSE, &whole, sizeof whole, nullptr, 0, &returned,
                      nullptr);
      sparse_ = false;
    }
    const BOOL ok = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return ok ? 0 : lastError();
  }

 private:
  HANDLE handle_;
  bool sparse_ = false;  // made sparse by reserve()
};

}  // namespace

void fillEntryFromFindData(const WIN32_FIND_DATAA& found, bool withSizes, DirEntry& entry) {
  entry.name = found.cFileName;
  entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // Only links lead elsewhere: a mount point (a junction or a mounted volume) or a
  // symbolic link. Cloud placeholders, deduplicated and projected folders carry the
  // reparse attribute too, and hold real files: they are entered.
  const bool reparse = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  entry.isForeignDirectory = entry.isDirectory && reparse &&
                             (found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT ||
                              found.dwReserved0 == IO_REPARSE_TAG_SYMLINK);
  entry.size =
      withSizes ? (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow : 0;
}

std::unique_ptr<FolderListing> Win32FileSystem::listFolder(const std::string& path, bool withSizes,
                                                           int& error) {
  error = winerr::kInvalidName;
  if (holdsNul(path)) return nullptr;
  std::string mask = path;
  if (!PathStyle::endsWithSeparator(mask)) mask += '\\';
  mask += "*.*";
  WIN32_FIND_DATAA found{};
  const HANDLE handle = FindFirstFileA(mask.c_str(), &found);
  error = 0;
  if (handle != INVALID_HANDLE_VALUE)
    return std::make_unique<Win32Listing>(handle, found, withSizes);
  error = lastError();
  // A drive root holds no "." or "..": when it is empty nothing matches, yet it exists.
  if (error == ERROR_FILE_NOT_FOUND) {
    const DWORD folder = GetFileAttributesA(path.empty() ? "\\" : path.c_str());
    if (folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      error = 0;
      return std::make_unique<Win32Listing>(nullptr, found, withSizes);
    }
  }
  return nullptr;
}

bool Win32FileSystem::attributes(const std::string& path, PathAttributes& out) {
  if (holdsNul(path)) return false;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  out.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  out.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  out.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

void Win32FileSystem::confineTo(const std::optional<std::string>& target) {
  trusted_.reset();
  if (target) trusted_ = std::string(PathStyle::folderPart(*target));
}

int Win32FileSystem::refuseLinks(const std::string& path, bool leafToo) const {
  if (!trusted_) return 0;
  // The leading folders shared with the trusted folder (names compared without case).
  const auto upper = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
  std::size_t shared = 0;
  for (std::size_t i = 0; i < path.size() && i < trusted_->size(); ++i) {
    const char a = path[i];
    const char b = (*trusted_)[i];
    const bool bothSeparators = PathStyle::isSeparator(a) && PathStyle::isSeparator(b);
    if (!bothSeparators && upper(a) != upper(b)) break;
    if (PathStyle::isSeparator(a) || a == ':') shared = i + 1;
  }
  std::size_t end = path.size();
  while (end > shared && PathStyle::isSeparator(path[end - 1])) --end;
  std::size_t at = shared;
  while (at < end) {
    std::size_t stop = path.find_first_of("\\/", at);
    if (stop == std::string::npos || stop > end) stop = end;
    if (stop == end && !leafToo) break;
    if (stop > at) {
      const DWORD attributes = GetFileAttributesA(path.substr(0, stop).c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) break;  // made from here on by the request
      if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return winerr::kAccessDenied;
    }
    at = stop + 1;
  }
  return 0;
}

int Win32FileSystem::createFolder(const std::string& path) {
  if (holdsNul(path)) return winerr::kInvalidName;
  if (const int refused = refuseLinks(path, false); refused != 0) return refused;
  return CreateDirectoryA(path.c_str(), nullptr) ? 0 : lastError();
}

std::unique_ptr<WritableFile> Win32FileSystem::createFile(const std::string& path, int& error) {
  return create(path, false, error);
}

std::unique_ptr<WritableFile> Win32FileSystem::createNewFile(const std::string& path, int& error) {
  return create(path, true, error);
}

std::unique_ptr<WritableFile> Win32FileSystem::create(const std::string& path, bool exclusive,
                                                      int& error) {
  error = 0;
  if (holdsNul(path)) {
    error = winerr::kInvalidName;
    return nullptr;
  }
  error = refuseLinks(path, !exclusive);
  if (error != 0) return nullptr;
  // Confined, a link made after the check is opened as itself, not followed; CREATE_NEW
  // finds any link at the name, followed or not, and refuses it as an existing file.
  const DWORD flags =
      FILE_ATTRIBUTE_NORMAL | (trusted_ || exclusive ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  const HANDLE handle =
      CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  exclusive ? CREATE_NEW : CREATE_ALWAYS, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = lastError();
    return nullptr;
  }
  return std::make_unique<Win32WritableFile>(handle);
}

std::unique_ptr<WritableFile> Win32FileSystem::replaceFile(const std::string& path, int& error) {
  error = 0;
  if (holdsNul(path)) {
    error = winerr::kInvalidName;
    return nullptr;
  }
  return ReplacementFile::open(path, error);
}

FileKind fileKind(const std::string& nativePath) {
  const DWORD attributes = GetFileAttributesA(nativePath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::Other : FileKind::Regular;
}

namespace {

class Win32ReadableFile : public ReadableFile {
 public:
  Win32ReadableFile(HANDLE handle, std::uint64_t size) : handle_(handle), size_(size) {}
  ~Win32ReadableFile() override { CloseHandle(handle_); }
  Win32ReadableFile(const Win32ReadableFile&) = delete;
  Win32ReadableFile& operator=(const Win32ReadableFile&) = delete;

  int read(void* data, std::size_t size, std::size_t& got) override {
    DWORD count = 0;
    const auto request = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    got = 0;
    if (!ReadFile(handle_, data, request, &count, nullptr)) return lastError();
    got = count;
    return 0;
  }
  std::uint64_t size() const override { return size_; }

 private:
  HANDLE handle_;
  std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ReadableFile> openRegularFile(const std::string& path, int& error) {
  error = 0;
  if (holdsNul(path)) {
    error = winerr::kInvalidName;
    return nullptr;
  }
  const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = lastError();
    return nullptr;
  }
  // A pipe or a device (a console, a serial port) is not read: it may never end.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    error = winerr::kAccessDenied;
    return nullptr;
  }
  LARGE_INTEGER size{};
  const std::uint64_t bytes = GetFileSizeEx(handle, &size) && size.QuadPart > 0
                                  ? static_cast<std::uint64_t>(size.QuadPart)
                                  : 0;
  return std::make_unique<Win32ReadableFile>(handle, bytes);
}

int Win32FileSystem::readFile(const std::string& path, std::string& contents) {
  return readWholeFile(path, contents);
}

int Win32FileSystem::deleteFile(const std::string& path) {
  if (holdsNul(path)) return winerr::kInvalidName;
  // The file itself may be a link: DeleteFileA removes the link, not what it leads to.
  if (const int refused = refuseLinks(path, false); refused != 0) return refused;
  return DeleteFileA(path.c_str()) ? 0 : lastError();
}

int Win32FileSystem::renameFile(const std::string& from, const std::string& to) {
  if (holdsNul(from) || holdsNul(to)) return winerr::kInvalidName;
  if (const int refused = refuseLinks(from, false); refused != 0) return refused;
  if (const int refused = refuseLinks(to, false); refused != 0) return refused;
  // Replacing a read-only file or a folder is refused by the call itself.
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 0
             : lastError();
}

std::unique_ptr<WritableFile> Win32FileSystem::appendToFile(const std::string& path, int& error) {
  error = 0;
  if (holdsNul(path)) {
    error = winerr::kInvalidName;
    return nullptr;
  }
  error = refuseLinks(path, true);
  if (error != 0) return nullptr;
  // A handle that may only append writes at the file's end whatever its position.
  const HANDLE handle =
      CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = lastError();
    return nullptr;
  }
  return std::make_unique<Win32WritableFile>(handle);
}

}  // namespace brimwell
