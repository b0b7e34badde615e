// A lock file: one process at a time holds it, until it lets it go or ends (a crash or
// kill -9 lets it go too, since the system drops the lock with the process).
//
// The lock is taken on a separate file beside what it guards, created when missing, so it
// covers a guarded file that does not exist yet and one that is replaced by renaming.
// Paths are native paths. The lock file is never opened through a link.
#pragma once

#include <memory>
#include <string>

namespace brimwell {

class FileLock {
 public:
  enum class Answer { Held, InUse, Failed };

  virtual ~FileLock() = default;

  // Takes the lock file at `nativePath` without waiting. Held: the lock is returned. InUse:
  // another process holds it. Failed: it could not be made or locked; `error` is the
  // Windows error number that says why.
  static std::unique_ptr<FileLock> take(const std::string& nativePath, Answer& answer, int& error);
};

}  // namespace brimwell
