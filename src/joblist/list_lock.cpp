#include "joblist/list_lock.h"

#include <filesystem>

#include "app/failure.h"

namespace brimwell::joblist {

ListLock::ListLock(const std::string& path, bool rewrites) {
  std::error_code ignored;
  const auto status = std::filesystem::status(path, ignored);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    if (!rewrites) return;
    throw Failure("The file list '" + path +
                  "' is not a regular file; the list is rewritten, so give a file");
  }
  FileLock::Answer answer = FileLock::Answer::Failed;
  int error = 0;
  lock_ = FileLock::take(path + ".lock", answer, error);
  if (answer == FileLock::Answer::InUse) {
    throw Failure("The file list '" + path +
                  "' is in use by another brimwell-cli command; wait for it to end");
  }
  // A list that is only read may lie where nothing can be written (a read-only mount).
  if (answer == FileLock::Answer::Failed && rewrites) {
    throw Failure("Cannot lock the file list '" + path + "': its lock file '" + path +
                  ".lock' cannot be made: " + ioErrorMessage(error));
  }
}

}  // namespace brimwell::joblist
