#include "cli/list_lock.h"

#include "app/failure.h"
#include "platform/atomic_replace.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace brimwell::cli {
#ifndef _WIN32

namespace {

[[noreturn]] void failInUse(const std::string& path) {
  throw Failure("The file list '" + path +
                "' is in use by another brimwell-cli command; wait for it to end");
}

}  // namespace

ListLock::ListLock(std::string path, bool rewrites) : path_(std::move(path)) {
  // The list is replaced by renaming: after taking the lock, make sure the file locked is
  // still the one the path names, else take the lock on the new one.
  for (int attempt = 0; attempt < 8; ++attempt) {
    struct stat named {};
    if (::stat(path_.c_str(), &named) != 0) return;  // no list yet: nothing to lock
    if (!S_ISREG(named.st_mode)) {
      if (!rewrites) return;  // a pipe or a device is read as it is, unlocked
      throw Failure("The file list '" + path_ +
                    "' is not a regular file; the list is rewritten, so give a file");
    }
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return;  // unreadable: reading it says why
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      if (errno == EWOULDBLOCK) failInUse(path_);
      return;  // a file system without locks
    }
    struct stat locked {};
    if (::fstat(fd, &locked) == 0 && ::stat(path_.c_str(), &named) == 0 &&
        locked.st_ino == named.st_ino && locked.st_dev == named.st_dev) {
      fd_ = fd;
      return;
    }
    ::close(fd);
  }
  failInUse(path_);
}

ListLock::~ListLock() {
  if (fd_ >= 0) ::close(fd_);
}

void ListLock::lockReplacement(ReplacementFile& file) { file.lockExclusive(); }

void ListLock::replaced(ReplacementFile& file) {
  const int fd = file.releaseDescriptor();
  if (fd < 0) return;
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

#else

ListLock::ListLock(std::string path, bool rewrites) : path_(std::move(path)) { (void)rewrites; }
ListLock::~ListLock() = default;
void ListLock::lockReplacement(ReplacementFile&) {}
void ListLock::replaced(ReplacementFile&) {}

#endif

}  // namespace brimwell::cli
