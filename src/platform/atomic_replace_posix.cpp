#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/atomic_replace.h"
#include "platform/posix_file_system.h"
#include "platform/windows_errors.h"

namespace brimwell {
namespace {

// The path that `path` leads to when it is a symbolic link (followed link by link, so a
// link to a file not yet made still names where it goes); `path` itself otherwise.
std::string linkDestination(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0) return path;
    const std::string next(target.data(), static_cast<std::size_t>(length));
    const std::size_t slash = path.find_last_of('/');
    path =
        next.front() == '/' || slash == std::string::npos ? next : path.substr(0, slash + 1) + next;
  }
  return path;
}

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

class PosixReplacement : public ReplacementFile {
 public:
  PosixReplacement(int fd, std::string temporary, std::string destination, mode_t mode,
                   const struct stat* old)
      : fd_(fd),
        temporary_(std::move(temporary)),
        destination_(std::move(destination)),
        mode_(mode),
        hasOld_(old != nullptr) {
    if (old != nullptr) old_ = *old;
  }
  ~PosixReplacement() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
  }

  int write(const void* data, std::size_t size, std::size_t& written) override {
    return writeToDescriptor(fd_, data, size, written);
  }

  int commit() override {
    if (committed_) return 0;
    if (fd_ < 0) return winerr::kAccessDenied;
    if (::fsync(fd_) != 0 && errno != EINVAL) return abandon(errno);
    if (temporary_.empty()) {  // written in place
      committed_ = true;
      return 0;
    }
    if (::fchmod(fd_, mode_) != 0) return abandon(errno);
    if (hasOld_ && (old_.st_uid != ::geteuid() || old_.st_gid != ::getegid())) {
      // Only a privileged process may give the file away; others keep their own.
      [[maybe_unused]] const int ignored = ::fchown(fd_, old_.st_uid, old_.st_gid);
    }
    if (::rename(temporary_.c_str(), destination_.c_str()) != 0) return abandon(errno);
    committed_ = true;
    // The rename itself reaches the disk with the folder's entry.
    const std::size_t slash = destination_.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : destination_.substr(0, slash + 1);
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
      ::fsync(folderFd);
      ::close(folderFd);
    }
    return 0;
  }

  int close() override {
    const int error = commit();
    if (fd_ >= 0) {
      const int result = ::close(fd_);
      fd_ = -1;
      if (error == 0 && result != 0 && errno != EINTR) return windowsErrorFromErrno(errno, true);
    }
    return error;
  }

 private:
  int abandon(int errnoValue) {
    const int error = windowsErrorFromErrno(errnoValue, true);
    ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    return error;
  }

  int fd_;
  std::string temporary_;  // empty when the destination is written in place
  std::string destination_;
  mode_t mode_;
  bool hasOld_;
  struct stat old_ {};
  bool committed_ = false;
};

}  // namespace

std::unique_ptr<ReplacementFile> ReplacementFile::open(const std::string& nativePath, int& error) {
  error = 0;
  const std::string destination = linkDestination(nativePath);
  struct stat old {};
  const bool exists = ::stat(destination.c_str(), &old) == 0;
  // A pipe or socket would keep the writer waiting for a reader: it is no file to replace.
  if (exists && (S_ISDIR(old.st_mode) || S_ISFIFO(old.st_mode) || S_ISSOCK(old.st_mode) ||
                 (old.st_mode & 0222) == 0)) {
    error = winerr::kAccessDenied;
    return nullptr;
  }
  if (exists && !S_ISREG(old.st_mode)) {
    const int fd = ::open(destination.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      error = windowsErrorFromErrno(errno, true);
      return nullptr;
    }
    return std::make_unique<PosixReplacement>(fd, std::string(), destination, old.st_mode, &old);
  }
  const std::size_t slash = destination.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? destination : destination.substr(slash + 1);
  const mode_t mode = exists ? (old.st_mode & 07777) : newFileMode();
  // mkostemp creates the file exclusively (O_EXCL), so never through a planted link.
  std::string temporary = folder + "." + name.substr(0, 200) + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    error = windowsErrorFromErrno(errno, true);
    if (errno == ENOENT) error = winerr::kPathNotFound;
    return nullptr;
  }
  return std::make_unique<PosixReplacement>(fd, std::move(temporary), destination, mode,
                                            exists ? &old : nullptr);
}

}  // namespace brimwell
