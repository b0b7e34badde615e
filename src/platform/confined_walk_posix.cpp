#include "platform/confined_walk_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string_view>

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

std::size_t ConfinedWalk::startLength(const std::string& parent) const {
  const std::size_t shared = sharedFolders(parent, trusted_);
  return shared == 0 && !parent.empty() && parent.front() == '/' ? 1 : shared;
}

void ConfinedWalk::closeFrom(std::size_t level) {
  for (std::size_t i = level; i < fds_.size(); ++i) ::close(fds_[i]);
  fds_.resize(std::min(level, fds_.size()));
  ends_.resize(fds_.size());
}

int ConfinedWalk::openStart(const std::string& parent) {
  std::string start = parent.substr(0, startLength(parent));
  start_ = start;
  // The trusted folders need not all exist yet (a target still to be made): the walk then
  // starts at the deepest that does.
  for (;;) {
    const int fd = ::open(start.empty() ? "." : start.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      fds_.push_back(fd);
      ends_.push_back(start.size());
      return 0;
    }
    const int error = errno;
    if ((error != ENOENT && error != ENOTDIR) || start.size() <= 1) {
      return windowsErrorFromErrno(error, true);
    }
    start = enclosing(start);
  }
}

int ConfinedWalk::openParent(const std::string& native, bool fresh, int& folderFd) {
  // The walk could go deeper than the system's path limit; a path beyond it stays refused
  // as a whole path would be.
  if (native.size() >= PATH_MAX) return windowsErrorFromErrno(ENAMETOOLONG, true);
  std::size_t end = native.size();
  while (end > 1 && native[end - 1] == '/') --end;
  const std::size_t slash = end == 0 ? std::string::npos : native.find_last_of('/', end - 1);
  const std::size_t leafStart = slash == std::string::npos ? 0 : slash + 1;
  leaf_.assign(native, leafStart, end - leafStart);
  // The files of one folder usually come one after another: the same folder, walked whole
  // last time from the whole trusted part, is still open.
  const std::string_view parent(native.data(), leafStart);
  if (!fresh && !fds_.empty() && ends_.front() == start_.size() && ends_.back() == path_.size() &&
      parent == path_) {
    folderFd = fds_.back();
    return 0;
  }
  parent_.assign(parent);

  // Keep the open levels that the new folder shares with the last one, when the last walk
  // started at the whole trusted part of it.
  std::size_t kept = 0;
  if (!fresh && !fds_.empty() && ends_.front() == start_.size() &&
      startLength(parent_) == start_.size()) {
    const auto common = static_cast<std::size_t>(
        std::mismatch(parent_.begin(), parent_.end(), path_.begin(), path_.end()).first -
        parent_.begin());
    while (kept < ends_.size() && ends_[kept] <= common) ++kept;
  }
  closeFrom(kept);
  path_ = parent_;
  if (fds_.empty()) {
    const int error = openStart(parent_);
    if (error != 0) return error;
  }
  for (std::size_t at = ends_.back(); at < parent_.size();) {
    const std::size_t next = parent_.find('/', at);
    const std::string name = parent_.substr(at, next - at);
    at = next + 1;
    if (name.empty() || name == ".") continue;
    const int fd =
        ::openat(fds_.back(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      const int error = errno;
      // A folder kept open may have been removed since: walk afresh once.
      if (error == ENOENT && fds_.size() <= kept) return openParent(native, true, folderFd);
      struct stat st {};
      const bool isLink = (error == ENOTDIR || error == ELOOP) &&
                          ::fstatat(fds_.back(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                          S_ISLNK(st.st_mode);
      return isLink ? refusedBecause(winerr::kAccessDenied,
                                     "its folder '" + name + "' is a symbolic link, not followed")
                    : windowsErrorFromErrno(error, true);
    }
    fds_.push_back(fd);
    ends_.push_back(at);
  }
  folderFd = fds_.back();
  return 0;
}

}  // namespace brimwell
