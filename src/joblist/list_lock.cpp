#include "joblist/list_lock.h"

#include "app/failure.h"
#include "platform/whole_file.h"

namespace brimwell::joblist {
namespace {

// "Cannot write the file list 'P': it is a symbolic link, not followed" when the links at
// the list's name lead nowhere a rewrite may go.
void checkLinks(const std::string& path, LinkAtName links) {
  std::string destination;
  const int error = replacementDestination(path, links, destination);
  if (error == 0) return;
  throw Failure("Cannot write the file list '" + path + "': " + ioErrorText(error) +
                    (links == LinkAtName::Refuse
                         ? "; a list kept beside the target is never written through a link: "
                           "remove the link, or name the list with --list"
                         : ""),
                path, refusalBehind(error));
}

}  // namespace

ListLock::ListLock(const std::string& path, bool rewrites, LinkAtName links) {
  if (rewrites) checkLinks(path, links);
  if (const FileKind kind = fileKind(path); kind == FileKind::Folder || kind == FileKind::Other) {
    if (!rewrites) return;
    throw Failure("The file list '" + path +
                  "' is not a regular file; the list is rewritten, so give a file");
  }
  Expected<std::unique_ptr<FileLock>> taken = FileLock::take(path + ".lock");
  if (!taken) {
    // A list that is only read may lie where nothing can be written (a read-only mount).
    if (!rewrites) return;
    const Failure& refused = taken.failure();
    throw Failure("Cannot lock the file list '" + path + "': its lock file '" + path +
                      ".lock' cannot be made: " + ioErrorText(refused),
                  refused.path(), refused.systemError());
  }
  if (!*taken) {
    throw Failure("The file list '" + path +
                  "' is in use by another brimwell-cli command; wait for it to end");
  }
  lock_ = std::move(*taken);
  // What a command killed while it replaced the list left beside it.
  if (lock_) removeStaleReplacements(path, links);
}

}  // namespace brimwell::joblist
