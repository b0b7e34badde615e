#include "platform/long_path_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace brimwell {

int openAnyLength(const std::string& native, int flags) {
  if (native.size() < PATH_MAX) return ::open(native.c_str(), flags);
  // Pieces that end at a separator and stay below the limit; every piece but the last is
  // a folder only passed through.
  int folder = AT_FDCWD;
  std::size_t at = 0;
  for (;;) {
    const bool last = native.size() - at < PATH_MAX;
    std::size_t end = native.size();
    if (!last) {
      end = native.rfind('/', at + PATH_MAX - 2);
      if (end == std::string::npos || end <= at) {
        if (folder != AT_FDCWD) ::close(folder);
        errno = ENAMETOOLONG;
        return -1;
      }
      ++end;  // the piece keeps its separator, so the root "/" is a piece of its own
    }
    const std::string piece = native.substr(at, end - at);
    const int next =
        ::openat(folder, piece.c_str(), last ? flags : O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int error = errno;
    if (folder != AT_FDCWD) ::close(folder);
    if (next < 0 || last) {
      errno = error;
      return next;
    }
    folder = next;
    at = end;
  }
}

}  // namespace brimwell
