// One list file, one command at a time: an advisory lock (flock) held on the list for as
// long as the command runs.
//
// A rewrite replaces the list by a new file (a new inode), so the lock moves with it: the
// new file is locked before it is renamed over the list, and the old one is let go only
// then, so there is no moment when the list on disk is unlocked. A second command stops at
// once, saying the list is in use. Where flock is not available (Windows) the lock is not
// taken.
#pragma once

#include <string>

namespace brimwell {
class ReplacementFile;
}

namespace brimwell::cli {

class ListLock {
 public:
  // Locks the list file at the native path `path` when it exists. Fails when another
  // command holds it, or, when the command `rewrites` the list, when it is not a regular
  // file (a device, a pipe, a folder).
  ListLock(std::string path, bool rewrites);
  ~ListLock();
  ListLock(const ListLock&) = delete;
  ListLock& operator=(const ListLock&) = delete;

  // Locks the new file that is about to replace the list; fails when it cannot.
  void lockReplacement(ReplacementFile& file);
  // The replacement took the list's place: its lock is now the one held.
  void replaced(ReplacementFile& file);

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace brimwell::cli
