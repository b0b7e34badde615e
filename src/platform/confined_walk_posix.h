// The walk down a path's folders that follows no symbolic link below a trusted folder.
//
// `trusted` is a native folder path ending in "/" (or empty for the current folder); the
// leading folders that a path shares with it are opened as usual, following links, since
// the user named them. Every folder after them is opened with O_NOFOLLOW relative to the
// one before (openat), so a link planted there cannot lead the request elsewhere, and
// nothing can be swapped in between the check and the use. The root "/" and the current
// folder are always trusted.
//
// The folders of the last walk stay open, one descriptor a level: the files of a list come
// folder by folder, so the next request usually lies in the same folder or one beside it,
// and only the levels where its path parts from the last one are opened again. A level
// removed since is walked afresh (a link now in its place is refused). One moved away
// while open is still written into, as a folder moved after the write would hold the
// files: moving it there takes the right to write there, which a link does not.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace brimwell {

class ConfinedWalk {
 public:
  explicit ConfinedWalk(std::string trusted) : trusted_(std::move(trusted)) {}
  ~ConfinedWalk() { closeFrom(0); }
  ConfinedWalk(const ConfinedWalk&) = delete;
  ConfinedWalk& operator=(const ConfinedWalk&) = delete;

  // Opens the folder that holds the last component of the native path `native` (its
  // trailing "/" removed), reusing the folders left open by the last walk unless `fresh`,
  // and puts its O_PATH descriptor, owned by the walk until the next call, in `folderFd`.
  // Returns 0, or the Windows error number: 5 for a link where a folder should be, 3 for
  // a missing folder. leaf() is then that last component.
  int openParent(const std::string& native, bool fresh, int& folderFd);
  const std::string& leaf() const { return leaf_; }

 private:
  // Closes the open folders from level `level` down.
  void closeFrom(std::size_t level);
  // The length of the trusted part of the folder path `parent`: the leading folders it
  // shares with the trusted folder, or the root.
  std::size_t startLength(const std::string& parent) const;
  // Opens the first level of `parent`, the deepest trusted folder that exists.
  int openStart(const std::string& parent);

  std::string trusted_;
  // The folder path (ending in "/") of the deepest open level; level i is open as fds_[i]
  // and stands for the first ends_[i] characters of it.
  std::string path_;
  std::vector<std::size_t> ends_;
  std::vector<int> fds_;
  std::string start_;  // the trusted part path_ was opened for
  std::string parent_;
  std::string leaf_;
};

}  // namespace brimwell
