#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_lock.h"
#include "platform/posix_file_system.h"
#include "platform/windows_errors.h"

namespace brimwell {
namespace {

// flock on the lock file; the holder removes the file when it lets go, so a taker checks
// that the file it locked is still the one the path names (else it locked a removed one).
class PosixFileLock : public FileLock {
 public:
  PosixFileLock(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixFileLock() override {
    ::unlink(path_.c_str());
    ::close(fd_);
  }
  PosixFileLock(const PosixFileLock&) = delete;
  PosixFileLock& operator=(const PosixFileLock&) = delete;

 private:
  int fd_;
  std::string path_;
};

}  // namespace

Expected<std::unique_ptr<FileLock>> FileLock::take(const std::string& nativePath) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int fd =
        ::open(nativePath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
      const int why = errno;
      // A link is refused by O_NOFOLLOW, a socket by open itself: both are told as what
      // they are.
      struct stat st {};
      const int error = (why == ELOOP || why == ENXIO) && ::lstat(nativePath.c_str(), &st) == 0 &&
                                !S_ISREG(st.st_mode)
                            ? refusedBecause(winerr::kAccessDenied, notRegularFileWords(st))
                            : windowsErrorFromErrno(why, true);
      return IoFailure(error, nativePath);
    }
    struct stat locked {};
    if (::fstat(fd, &locked) != 0 || !S_ISREG(locked.st_mode)) {
      ::close(fd);
      return IoFailure(refusedBecause(winerr::kAccessDenied, notRegularFileWords(locked)),
                       nativePath);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int why = errno;
      ::close(fd);
      if (why == EWOULDBLOCK) return std::unique_ptr<FileLock>();
      return IoFailure(windowsErrorFromErrno(why, true), nativePath);
    }
    struct stat named {};
    if (::stat(nativePath.c_str(), &named) == 0 && named.st_ino == locked.st_ino &&
        named.st_dev == locked.st_dev) {
      return std::unique_ptr<FileLock>(std::make_unique<PosixFileLock>(fd, nativePath));
    }
    ::close(fd);  // the holder removed it as it let go: take the new one
  }
  return std::unique_ptr<FileLock>();
}

}  // namespace brimwell
