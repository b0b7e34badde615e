// One list file, one command at a time: a lock file beside the list ("LIST.lock"), taken
// before the list is read or written and held for as long as the command runs.
//
// The lock file is separate from the list, so it covers a list that does not exist yet and
// one that a rewrite replaces by renaming. A second command stops at once, saying the list
// is in use. A list that is a pipe or a device and is only read is read unlocked.
//
// Whoever holds the lock is the only one replacing the list, so taking it removes the new
// lists a killed command left beside it (atomic_replace.h).
#pragma once

#include <memory>
#include <string>

#include "platform/atomic_replace.h"
#include "platform/file_lock.h"

namespace brimwell::joblist {

class ListLock {
 public:
  // Locks the list file at the native path `path`. Fails when another command holds it,
  // or, when the command `rewrites` the list, when it is not a regular file (a device, a
  // pipe, a folder), when a link at its name may not be followed as `links` says, or when
  // the lock file cannot be made.
  ListLock(const std::string& path, bool rewrites, LinkAtName links);

 private:
  std::unique_ptr<FileLock> lock_;
};

}  // namespace brimwell::joblist
