#include "platform/confined_walk_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/posix_file_system.h"
#include "platform/windows_errors.h"

namespace brimwell {
namespace {

// The length of the leading folders (each ended by "/") that `path` shares with `folder`.
std::size_t sharedFolders(const std::string& path, const std::string& folder) {
  std::size_t shared = 0;
  for (std::size_t i = 0; i < path.size() && i < folder.size() && path[i] == folder[i]; ++i) {
    if (path[i] == '/') shared = i + 1;
  }
  return shared;
}

// `folder` without its last folder ("/a/b/" gives "/a/"); "/" and "" stay.
std::string enclosing(const std::string& folder) {
  if (folder.size() <= 1) return folder;
  const std::size_t slash = folder.find_last_of('/', folder.size() - 2);
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

}  // namespace

int openConfinedParent(const std::string& native, const std::string& trusted, int& folderFd,
                       std::string& leaf) {
  // The walk could go deeper than the system's path limit; a path beyond it stays refused
  // as a whole path would be.
  if (native.size() >= PATH_MAX) return windowsErrorFromErrno(ENAMETOOLONG, true);
  std::string path = native;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.find_last_of('/');
  leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);

  std::string start = parent.substr(0, sharedFolders(parent, trusted));
  if (start.empty() && !parent.empty() && parent.front() == '/') start = "/";
  // The trusted folders need not all exist yet (a target still to be made): the walk then
  // starts at the deepest that does.
  int folder = -1;
  for (;;) {
    folder = ::open(start.empty() ? "." : start.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) break;
    const int error = errno;
    if ((error != ENOENT && error != ENOTDIR) || start.size() <= 1) {
      return windowsErrorFromErrno(error, true);
    }
    start = enclosing(start);
  }
  for (std::size_t at = start.size(); at < parent.size();) {
    const std::size_t end = parent.find('/', at);
    const std::string name = parent.substr(at, end - at);
    at = end + 1;
    if (name.empty() || name == ".") continue;
    const int next = ::openat(folder, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) {
      const int error = errno;
      struct stat st {};
      const bool isLink = (error == ENOTDIR || error == ELOOP) &&
                          ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                          S_ISLNK(st.st_mode);
      ::close(folder);
      return isLink ? winerr::kAccessDenied : windowsErrorFromErrno(error, true);
    }
    ::close(folder);
    folder = next;
  }
  folderFd = folder;
  return 0;
}

}  // namespace brimwell
