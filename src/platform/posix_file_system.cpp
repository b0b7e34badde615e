#include "platform/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <limits>

#include "platform/atomic_replace.h"
#include "platform/long_path_posix.h"
#include "platform/path_style.h"
#include "platform/system_error.h"
#include "platform/whole_file.h"
#include "platform/windows_errors.h"
#include "platform/zero_placement_posix.h"

namespace brimwell {

namespace {

int windowsNumberFor(int errnoValue, bool missingIsFolder) {
  switch (errnoValue) {
    case 0:
      return 0;
    case ENOENT:
      return missingIsFolder ? winerr::kPathNotFound : winerr::kFileNotFound;
    case ENOTDIR:
      return winerr::kPathNotFound;
    case EMFILE:
    case ENFILE:
      return winerr::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return winerr::kAccessDenied;
    case ENOSPC:
    case EDQUOT:
      return winerr::kDiskFull;
    case ENAMETOOLONG:
    case EILSEQ:
    case EINVAL:
      return winerr::kInvalidName;
    case EEXIST:
      return winerr::kAlreadyExists;
    case ENOTEMPTY:
      return winerr::kDirNotEmpty;
    case EBUSY:
    case ETXTBSY:
      return winerr::kSharingViolation;
    case ELOOP:
      return winerr::kCantResolveFilename;
    case EFBIG:
      return winerr::kFileTooLarge;
    case ENOMEM:
      return winerr::kNotEnoughMemory;
    case EIO:
      return winerr::kIoDevice;
    default:
      return winerr::kGeneralFailure;
  }
}

// True when the Windows number's message already says what the system said.
bool saidInFull(int windowsCode, int errnoValue) {
  return (windowsCode == winerr::kFileNotFound && errnoValue == ENOENT) ||
         (windowsCode == winerr::kAccessDenied && errnoValue == EACCES) ||
         windowsCode == winerr::kTooManyOpenFiles;
}

}  // namespace

int windowsErrorFromErrno(int errnoValue, bool missingIsFolder) {
  const int code = windowsNumberFor(errnoValue, missingIsFolder);
  if (code != 0) {
    noteRefusal(
        code, saidInFull(code, errnoValue) ? std::nullopt : std::optional(systemError(errnoValue)));
  }
  return code;
}

int refusedBecause(int windowsCode, std::string words) {
  noteRefusal(windowsCode, SystemError{0, std::move(words)});
  return windowsCode;
}

std::string notRegularFileWords(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return kLinkNotFollowed;
  const char* kind = S_ISDIR(st.st_mode)    ? "a folder"
                     : S_ISFIFO(st.st_mode) ? "a named pipe"
                     : S_ISSOCK(st.st_mode) ? "a socket"
                                            : "a device";
  return std::string("it is ") + kind + ", not a regular file";
}

int refused(int windowsCode) {
  noteRefusal(windowsCode, std::nullopt);
  return windowsCode;
}

int writeToDescriptor(int fd, const void* data, std::size_t size, std::size_t& written) {
  written = 0;
  ssize_t result;
  do {
    result = ::write(fd, data, size);
  } while (result < 0 && errno == EINTR);
  if (result < 0) return windowsErrorFromErrno(errno, true);
  written = static_cast<std::size_t>(result);
  return 0;
}

namespace {

bool folderOfExists(const std::string& native) {
  const auto slash = native.find_last_of('/');
  if (slash == std::string::npos) return true;  // relative to the current folder
  const std::string folder = slash == 0 ? "/" : native.substr(0, slash);
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ENOENT means a missing file when its folder exists, a missing folder otherwise.
int errorForPath(int errnoValue, const std::string& native) {
  if (errnoValue == ENOENT) return windowsErrorFromErrno(ENOENT, !folderOfExists(native));
  return windowsErrorFromErrno(errnoValue, true);
}

bool isReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }

// Reads the entries of a folder with getdents64 into one buffer: opendir would add an
// fstat of every folder, which a walk over thousands of folders does not need.
class PosixListing : public FolderListing {
 public:
  PosixListing(int fd, std::string folder, bool withSizes, PosixFileSystem& fs, bool checkMounts)
      : fd_(fd),
        folder_(std::move(folder)),
        withSizes_(withSizes),
        fs_(fs),
        checkMounts_(checkMounts) {}
  ~PosixListing() override { ::close(fd_); }

  bool next(DirEntry& entry) override {
    if (offset_ == filled_ && !refill()) return false;
    const auto* raw = reinterpret_cast<const struct dirent64*>(buffer_ + offset_);
    offset_ += raw->d_reclen;
    entry.name = raw->d_name;
    entry.size = 0;
    entry.error = 0;
    entry.isForeignDirectory = false;
    entry.isRepeatedDirectory = false;
    entry.isRegularFile = false;
    entry.folderHandle = fd_;
    unsigned char type = raw->d_type;
    struct stat st {};
    bool statted = false;
    if (type == DT_UNKNOWN) {
      statted = fstatat(fd_, raw->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
      type = DT_REG;
      if (statted && S_ISDIR(st.st_mode)) type = DT_DIR;
      if (statted && S_ISLNK(st.st_mode)) type = DT_LNK;
    }
    if (type == DT_LNK) {
      // Listed as Windows lists a link: a link to a folder is a folder that is not entered,
      // any other link (to a file, dangling) a file of size 0.
      entry.isDirectory = fstatat(fd_, raw->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
      entry.isForeignDirectory = entry.isDirectory;
      return true;
    }
    entry.isDirectory = type == DT_DIR;
    entry.isRegularFile = raw->d_type == DT_REG || (statted && S_ISREG(st.st_mode));
    if (entry.isDirectory) {
      if (checkMounts_ && entry.name != "." && entry.name != "..") {
        entry.isForeignDirectory =
            fs_.isMountPointOf(fd_, entry.name, folderDevice_, entry.isRepeatedDirectory);
      }
    } else if (withSizes_) {
      if (!statted) statted = fstatat(fd_, raw->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
      // A pipe, socket or device is a file of size 0 (a block device's size is not
      // what it holds on this volume).
      if (statted && S_ISREG(st.st_mode)) entry.size = static_cast<std::uint64_t>(st.st_size);
      // One removed since it was listed is not there to be read.
      if (!statted && errno != ENOENT) entry.error = windowsErrorFromErrno(errno, true);
    }
    return true;
  }

  int error() const override { return error_; }

 private:
  // Reads the next records; false at the end of the folder or when it cannot be read.
  bool refill() {
    ssize_t got;
    do {
      got = getdents64(fd_, buffer_, sizeof buffer_);
    } while (got < 0 && errno == EINTR);
    offset_ = 0;
    filled_ = got > 0 ? static_cast<std::size_t>(got) : 0;
    if (got < 0) error_ = windowsErrorFromErrno(errno, true);
    return filled_ > 0;
  }

  int fd_;
  std::string folder_;
  bool withSizes_;
  PosixFileSystem& fs_;
  bool checkMounts_;
  std::uint64_t folderDevice_ = 0;
  int error_ = 0;
  std::size_t offset_ = 0;
  std::size_t filled_ = 0;
  alignas(struct dirent64) char buffer_[32768];
};

class PosixWritableFile : public WritableFile {
 public:
  // `trimAtClose`: the file was opened to grow (appendToFile).
  explicit PosixWritableFile(int fd, bool trimAtClose = false)
      : fd_(fd), trimAtClose_(trimAtClose) {}
  ~PosixWritableFile() override { close(); }

  // Hot: the writer's block loop runs through it (see ListWriting::write).
  [[gnu::hot]] int write(const void* data, std::size_t size, std::size_t& written) override {
    return writeToDescriptor(fd_, data, size, written);
  }

  // fallocate places the range at once (ext4 and XFS: exactly, without the speculative
  // extra that delayed allocation adds); the data written into it later does not move it.
  // Where the file system has no fallocate (ntfs-3g), zeros written into the hole place it,
  // as the Windows build does on NTFS.
  int reserve(std::uint64_t offset, std::uint64_t size, bool& placed) override {
    placed = false;
    if (size == 0) return 0;
    // Not posix_fallocate: where the file system cannot, it would write the range twice.
    // A signal (Ctrl-C asking to stop) interrupts a long one on tmpfs, which then undoes
    // it: asked again, the stop is seen after the first write instead.
    int result;
    do {
      result = ::fallocate(fd_, 0, static_cast<off_t>(offset), static_cast<off_t>(size));
    } while (result != 0 && errno == EINTR);
    placed = result == 0;
    if (result == 0) return 0;
    if (errno == EOPNOTSUPP) {
      const int error = placeWithZeros(fd_, offset, size);
      placed = error == 0;
      return error;
    }
    if (errno == EINVAL || errno == ENOSYS) return 0;
    return windowsErrorFromErrno(errno, true);
  }

  int collapse(std::uint64_t offset, std::uint64_t size) override {
    int result;
    do {
      result = ::fallocate(fd_, FALLOC_FL_COLLAPSE_RANGE, static_cast<off_t>(offset),
                           static_cast<off_t>(size));
    } while (result != 0 && errno == EINTR);
    if (result == 0) return 0;
    if (errno == EOPNOTSUPP || errno == EINVAL || errno == ENOSYS) return winerr::kNotSupported;
    return windowsErrorFromErrno(errno, true);
  }

  int writeOut() override {
    constexpr unsigned kWriteAndWait =
        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    if (::sync_file_range(fd_, 0, 0, kWriteAndWait) == 0) return 0;
    // Where the range cannot be written out alone, the whole file is.
    if ((errno == ENOSYS || errno == EINVAL || errno == ESPIPE) && ::fdatasync(fd_) == 0) return 0;
    return windowsErrorFromErrno(errno, true);
  }

  int close() override {
    if (fd_ < 0) return 0;
    // XFS keeps the room it reserved past the end of a file that is opened, grown and
    // closed again and again (until the inode leaves memory), which would read as used
    // space: a truncate to the file's own size gives it back and loses nothing.
    struct stat st {};
    if (trimAtClose_ && (::fstat(fd_, &st) != 0 || ::ftruncate(fd_, st.st_size) != 0)) {
      const int error = windowsErrorFromErrno(errno, true);
      ::close(fd_);
      fd_ = -1;
      return error;
    }
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 || errno == EINTR ? 0 : windowsErrorFromErrno(errno, true);
  }

 private:
  int fd_;
  bool trimAtClose_;
};

// Undoes the octal escapes (\040 for a blank) of /proc/self/mountinfo fields.
std::string unescapeMountField(const std::string& field) {
  const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
        isOctal(field[i + 2]) && isOctal(field[i + 3])) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
      continue;
    }
    out += field[i];
  }
  return out;
}

}  // namespace

namespace {

class PosixReadableFile : public ReadableFile {
 public:
  PosixReadableFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~PosixReadableFile() override { ::close(fd_); }
  PosixReadableFile(const PosixReadableFile&) = delete;
  PosixReadableFile& operator=(const PosixReadableFile&) = delete;

  int read(void* data, std::size_t size, std::size_t& got) override {
    got = 0;
    for (;;) {
      const ssize_t count = ::read(fd_, data, size);
      if (count >= 0) {
        got = static_cast<std::size_t>(count);
        return 0;
      }
      if (errno != EINTR) return windowsErrorFromErrno(errno, true);
    }
  }
  std::uint64_t size() const override { return size_; }

 private:
  int fd_;
  std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ReadableFile> openRegularFile(const std::string& native, int& error) {
  error = 0;
  // Only a regular file is opened, and without waiting: a pipe or a device named here
  // would block the reader, or act on being opened.
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0) {
    error = errorForPath(errno, native);
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    error = refused(winerr::kAccessDenied);
    return nullptr;
  }
  const int fd = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = errorForPath(errno, native);
    return nullptr;
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {  // swapped since the stat
    ::close(fd);
    error = refused(winerr::kAccessDenied);
    return nullptr;
  }
  return std::make_unique<PosixReadableFile>(fd, static_cast<std::uint64_t>(st.st_size));
}

FileKind fileKind(const std::string& nativePath) {
  struct stat st {};
  if (::stat(nativePath.c_str(), &st) != 0) return FileKind::Missing;
  if (S_ISDIR(st.st_mode)) return FileKind::Folder;
  return S_ISREG(st.st_mode) ? FileKind::Regular : FileKind::Other;
}

PosixFileSystem::PosixFileSystem() : drives_{{'c', std::string(1, '/')}} {}

void PosixFileSystem::mapDrive(char letter, std::string root) {
  drives_[static_cast<char>(std::tolower(static_cast<unsigned char>(letter)))] = std::move(root);
}

bool PosixFileSystem::toNative(const std::string& path, std::string& native, int& error) const {
  if (path.find('\0') != std::string::npos) {
    error = winerr::kInvalidName;
    return false;
  }
  std::string_view rest = path;
  native.clear();
  if (PathStyle::startsWithDrive(rest)) {
    const auto drive =
        drives_.find(static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0]))));
    if (drive == drives_.end()) {
      error = winerr::kPathNotFound;
      return false;
    }
    native = drive->second;
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    if (native == "/") native.clear();
    rest.remove_prefix(2);
    while (!rest.empty() && (rest.front() == '\\' || rest.front() == '/')) rest.remove_prefix(1);
    native += '/';
  }
  // Appended whole and then turned: a character at a time costs more than the file's call.
  const std::size_t restStart = native.size();
  native.append(rest);
  std::replace(native.begin() + static_cast<std::ptrdiff_t>(restStart), native.end(), '\\', '/');
  if (native.empty()) {
    error = winerr::kPathNotFound;
    return false;
  }
  return true;
}

namespace {

// Whether the folder `mounted` is the open folder `folderFd` or one above it, up to the
// root. Asked only at mount points of the folder's own file system, so seldom.
bool isOnPathOf(int folderFd, const struct stat& mounted) {
  int fd = ::openat(folderFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  bool found = false;
  for (struct stat here{}; fd >= 0 && ::fstat(fd, &here) == 0;) {
    if (here.st_dev == mounted.st_dev && here.st_ino == mounted.st_ino) {
      found = true;
      break;
    }
    const int parent = ::openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat above {};
    const bool top = parent < 0 || ::fstat(parent, &above) != 0 ||
                     (above.st_dev == here.st_dev && above.st_ino == here.st_ino);
    ::close(fd);
    fd = parent;
    if (top) break;
  }
  if (fd >= 0) ::close(fd);
  return found;
}

}  // namespace

bool PosixFileSystem::isMountPointOf(int folderFd, const std::string& name,
                                     std::uint64_t& folderDevice, bool& repeated) {
  repeated = false;
  std::call_once(mountPoints_->loaded, [this] { loadMountPoints(); });
  if (mountPoints_->names.count(name) == 0) return false;
  if (folderDevice == 0) {
    struct stat folder {};
    if (::fstat(folderFd, &folder) != 0) return false;
    folderDevice = static_cast<std::uint64_t>(folder.st_dev) + 1;  // never 0 once read
  }
  struct stat st {};
  if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (static_cast<std::uint64_t>(st.st_dev) + 1 != folderDevice) return true;
  repeated = S_ISDIR(st.st_mode) && isOnPathOf(folderFd, st);
  return repeated;
}

void PosixFileSystem::loadMountPoints() {
  std::ifstream mountinfo("/proc/self/mountinfo");
  std::string line;
  while (std::getline(mountinfo, line)) {
    // Fields: id parent major:minor root mount-point ...
    std::size_t start = 0;
    for (int field = 0; field < 4 && start != std::string::npos; ++field) {
      start = line.find(' ', start);
      if (start != std::string::npos) ++start;
    }
    if (start == std::string::npos) continue;
    const std::size_t end = line.find(' ', start);
    const std::string mountPoint = unescapeMountField(line.substr(start, end - start));
    if (mountPoint == "/") continue;
    const std::size_t slash = mountPoint.find_last_of('/');
    mountPoints_->names.insert(slash == std::string::npos ? mountPoint
                                                          : mountPoint.substr(slash + 1));
  }
}

std::unique_ptr<FolderListing> PosixFileSystem::listFolder(const std::string& path, bool withSizes,
                                                           int& error) {
  std::string native;
  error = 0;
  if (!toNative(path, native, error)) return nullptr;
  // O_DIRECTORY refuses anything but a folder before opening it, so a pipe never blocks.
  const int fd = openAnyLength(native, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    error = windowsErrorFromErrno(errno, true);
    return nullptr;
  }
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  return std::make_unique<PosixListing>(fd, std::move(native), withSizes, *this, true);
}

bool PosixFileSystem::attributes(const std::string& path, PathAttributes& out) {
  std::string native;
  int error = 0;
  if (!toNative(path, native, error)) return false;
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0) return false;
  out.isDirectory = S_ISDIR(st.st_mode);
  out.readOnly = isReadOnly(st);
  out.size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

void PosixFileSystem::confineTo(const std::optional<std::string>& target) {
  confined_.reset();
  if (!target) return;
  std::string native;
  int error = 0;
  // An empty target is the current folder; a drive that is not mapped trusts no folder
  // but the root.
  if (target->empty() || !toNative(*target, native, error)) native.clear();
  if (!native.empty() && native.back() != '/') {
    const std::size_t slash = native.find_last_of('/');
    native.resize(slash == std::string::npos ? 0 : slash + 1);
  }
  confined_ = std::make_shared<ConfinedWalk>(std::move(native));
}

std::unique_ptr<WritableFile> PosixFileSystem::createConfined(const std::string& native,
                                                              bool exclusive, int& error) {
  for (const bool fresh : {false, true}) {
    int folder = -1;
    error = confined_->openParent(native, fresh, folder);
    if (error != 0) return nullptr;
    const std::string& leaf = confined_->leaf();
    if (leaf.empty() || native.back() == '/') {
      error = winerr::kAccessDenied;
      return nullptr;
    }
    int fd =
        ::openat(folder, leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST && exclusive) {
      error = winerr::kFileExists;
      return nullptr;
    }
    if (fd < 0 && errno == EEXIST) {
      struct stat st {};
      if (::fstatat(folder, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
          (S_ISLNK(st.st_mode) || S_ISDIR(st.st_mode) || isReadOnly(st))) {
        error = S_ISLNK(st.st_mode) ? refusedBecause(winerr::kAccessDenied, kLinkNotFollowed)
                                    : refused(winerr::kAccessDenied);
        return nullptr;
      }
      fd = ::openat(folder, leaf.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                    0666);
    }
    if (fd >= 0) return std::make_unique<PosixWritableFile>(fd);
    // A folder kept open may have been removed since: open it afresh once.
    if (errno == ENOENT && !fresh) continue;
    error = errno == ELOOP ? refusedBecause(winerr::kAccessDenied, kLinkNotFollowed)
                           : windowsErrorFromErrno(errno, true);
    return nullptr;
  }
  return nullptr;
}

int PosixFileSystem::deleteConfined(const std::string& native) {
  for (const bool fresh : {false, true}) {
    int folder = -1;
    const int error = confined_->openParent(native, fresh, folder);
    if (error != 0) return error;
    const std::string& leaf = confined_->leaf();
    struct stat st {};
    if (::fstatat(folder, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT && !fresh) continue;
      return windowsErrorFromErrno(errno, false);
    }
    if (S_ISDIR(st.st_mode) || (!S_ISLNK(st.st_mode) && isReadOnly(st))) {
      return winerr::kAccessDenied;
    }
    if (::unlinkat(folder, leaf.c_str(), 0) == 0) return 0;
    return windowsErrorFromErrno(errno, false);
  }
  return winerr::kFileNotFound;
}

int PosixFileSystem::createFolder(const std::string& path) {
  std::string native;
  int error = 0;
  if (!toNative(path, native, error)) return error;
  if (confined_) {
    for (const bool fresh : {false, true}) {
      int folder = -1;
      error = confined_->openParent(native, fresh, folder);
      if (error != 0) return error;
      if (::mkdirat(folder, confined_->leaf().c_str(), 0777) == 0) return 0;
      // A folder kept open may have been removed since: open it afresh once.
      if (errno != ENOENT || fresh) break;
    }
    return windowsErrorFromErrno(errno, true);
  }
  if (::mkdir(native.c_str(), 0777) == 0) return 0;
  return windowsErrorFromErrno(errno, true);
}

std::unique_ptr<WritableFile> PosixFileSystem::replaceFile(const std::string& path, int& error) {
  std::string native;
  error = 0;
  if (!toNative(path, native, error)) return nullptr;
  return ReplacementFile::open(native, error);
}

std::unique_ptr<WritableFile> PosixFileSystem::createFile(const std::string& path, int& error) {
  return create(path, false, error);
}

std::unique_ptr<WritableFile> PosixFileSystem::createNewFile(const std::string& path, int& error) {
  return create(path, true, error);
}

std::unique_ptr<WritableFile> PosixFileSystem::create(const std::string& path, bool exclusive,
                                                      int& error) {
  std::string native;
  error = 0;
  if (!toNative(path, native, error)) return nullptr;
  if (confined_) return createConfined(native, exclusive, error);
  // A new file takes one call; only an existing one is checked for the read-only rule
  // before it is truncated. O_EXCL alone already refuses any link at the name.
  int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0 && errno == EEXIST && exclusive) {
    error = winerr::kFileExists;
    return nullptr;
  }
  if (fd < 0 && errno == EEXIST) {
    struct stat st {};
    if (::stat(native.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || isReadOnly(st))) {
      error = winerr::kAccessDenied;
      return nullptr;
    }
    fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  }
  if (fd < 0) {
    error = windowsErrorFromErrno(errno, true);
    return nullptr;
  }
  return std::make_unique<PosixWritableFile>(fd);
}

int PosixFileSystem::readFile(const std::string& path, std::string& contents) {
  contents.clear();
  std::string native;
  int error = 0;
  if (!toNative(path, native, error)) return error;
  return readWholeFile(native, contents);
}

int PosixFileSystem::deleteFile(const std::string& path) {
  std::string native;
  int error = 0;
  if (!toNative(path, native, error)) return error;
  if (confined_) return deleteConfined(native);
  struct stat st {};
  if (::lstat(native.c_str(), &st) != 0) return errorForPath(errno, native);
  if (S_ISDIR(st.st_mode) || (!S_ISLNK(st.st_mode) && isReadOnly(st))) {
    return winerr::kAccessDenied;
  }
  if (::unlink(native.c_str()) == 0) return 0;
  return errorForPath(errno, native);
}

namespace {

// 5 when the entry `st` may not be renamed over or appended to: a folder, or a read-only
// file (a link is renamed as itself).
int refusedForUse(const struct stat& st) {
  return S_ISDIR(st.st_mode) || (!S_ISLNK(st.st_mode) && isReadOnly(st)) ? winerr::kAccessDenied
                                                                         : 0;
}

// Closes a duplicated folder descriptor when it goes.
struct HeldFolder {
  int fd = -1;
  ~HeldFolder() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

int PosixFileSystem::renameFile(const std::string& from, const std::string& to) {
  std::string nativeFrom;
  std::string nativeTo;
  int error = 0;
  if (!toNative(from, nativeFrom, error) || !toNative(to, nativeTo, error)) return error;
  if (confined_) return renameConfined(nativeFrom, nativeTo);
  struct stat st {};
  if (::lstat(nativeFrom.c_str(), &st) != 0) return errorForPath(errno, nativeFrom);
  if (S_ISDIR(st.st_mode)) return winerr::kAccessDenied;
  if (::lstat(nativeTo.c_str(), &st) == 0 && refusedForUse(st) != 0) return refusedForUse(st);
  if (::rename(nativeFrom.c_str(), nativeTo.c_str()) == 0) return 0;
  return errorForPath(errno, nativeTo);
}

int PosixFileSystem::renameConfined(const std::string& from, const std::string& to) {
  for (const bool fresh : {false, true}) {
    // The walk keeps one chain of folders open: the first folder is held by a copy.
    int folder = -1;
    int error = confined_->openParent(from, fresh, folder);
    if (error != 0) return error;
    HeldFolder fromFolder{::fcntl(folder, F_DUPFD_CLOEXEC, 0)};
    if (fromFolder.fd < 0) return windowsErrorFromErrno(errno, true);
    const std::string fromLeaf = confined_->leaf();
    error = confined_->openParent(to, fresh, folder);
    if (error != 0) return error;
    const std::string& toLeaf = confined_->leaf();
    struct stat st {};
    if (::fstatat(fromFolder.fd, fromLeaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT && !fresh) continue;
      return windowsErrorFromErrno(errno, false);
    }
    if (S_ISDIR(st.st_mode)) return winerr::kAccessDenied;
    if (::fstatat(folder, toLeaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        refusedForUse(st) != 0) {
      return refusedForUse(st);
    }
    if (::renameat(fromFolder.fd, fromLeaf.c_str(), folder, toLeaf.c_str()) == 0) return 0;
    if (errno == ENOENT && !fresh) continue;
    return windowsErrorFromErrno(errno, true);
  }
  return winerr::kFileNotFound;
}

std::unique_ptr<WritableFile> PosixFileSystem::appendToFile(const std::string& path, int& error) {
  std::string native;
  error = 0;
  if (!toNative(path, native, error)) return nullptr;
  if (confined_) return appendConfined(native, error);
  struct stat st {};
  if (::lstat(native.c_str(), &st) != 0) {
    error = errorForPath(errno, native);
    return nullptr;
  }
  error = S_ISLNK(st.st_mode) ? refusedBecause(winerr::kAccessDenied, kLinkNotFollowed)
                              : refusedForUse(st);
  if (error != 0) return nullptr;
  const int fd = ::open(native.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    error = errorForPath(errno, native);
    return nullptr;
  }
  return std::make_unique<PosixWritableFile>(fd, true);
}

std::unique_ptr<WritableFile> PosixFileSystem::appendConfined(const std::string& native,
                                                              int& error) {
  for (const bool fresh : {false, true}) {
    int folder = -1;
    error = confined_->openParent(native, fresh, folder);
    if (error != 0) return nullptr;
    const std::string& leaf = confined_->leaf();
    struct stat st {};
    if (::fstatat(folder, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT && !fresh) continue;
      error = windowsErrorFromErrno(errno, false);
      return nullptr;
    }
    error = S_ISLNK(st.st_mode) ? refusedBecause(winerr::kAccessDenied, kLinkNotFollowed)
                                : refusedForUse(st);
    if (error != 0) return nullptr;
    const int fd = ::openat(folder, leaf.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) return std::make_unique<PosixWritableFile>(fd, true);
    error = windowsErrorFromErrno(errno, false);
    return nullptr;
  }
  error = winerr::kFileNotFound;
  return nullptr;
}

}  // namespace brimwell
