// A lock file: one process at a time holds it, until it lets it go or ends (a crash or
// kill -9 lets it go too, since the system drops the lock with the process).
//
// The lock is taken on a separate file beside what it guards, created when missing, so it
// covers a guarded file that does not exist yet and one that is replaced by renaming.
// Paths are native paths. The lock file is never opened through a link.
#pragma once

#include <memory>
#include <string>

#include "platform/expected.h"

namespace brimwell {

class FileLock {
 public:
  virtual ~FileLock() = default;

  // Takes the lock file at `nativePath` without waiting: the lock, or no lock (null) while
  // another process holds it. When it cannot be made or locked, the refused request's failure
  // (IoFailure's message for the Windows error number, the lock file's path, the system's
  // error).
  static Expected<std::unique_ptr<FileLock>> take(const std::string& nativePath);
};

}  // namespace brimwell
