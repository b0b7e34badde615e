// The list file of a job as the commands use it: locked for the command's whole run, read
// with its recorded target, kept inside that target, and written back.
//
// Every failure is a Failure carrying the message the user sees.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/context.h"
#include "joblist/list_file.h"
#include "joblist/list_lock.h"

namespace brimwell::joblist {

class JobList {
 public:
  // Locks the list at `path` (when there is one: `path` may be empty for a job that keeps
  // no list). `rewrites`: the command writes the list back, so it must be a regular file.
  // `links`: Refuse for a list the tool names itself (beside the target), which is never
  // written through a link; a list the user named follows links by the shared-folder rule.
  JobList(std::string path, bool rewrites, LinkAtName links = LinkAtName::FollowProtected);

  // Reads the list into `context`'s file list, keeping its recorded target.
  void read(Context& context);
  // Reads it for a command that writes or deletes files (reproduce, erase): every entry must
  // lie inside the list's target (normalised), or, for a list that records none, inside
  // `givenTarget`. The target may be neither empty nor the root of the tree unless
  // `allowRoot`. Returns the target the writer and the erase are to keep to. Fails, naming
  // the first line outside, before anything is asked or touched.
  std::string readInsideTarget(Context& context, const std::optional<std::string>& givenTarget,
                               bool allowRoot);

  // Before a job (build, run, of the target `target`) makes a new list in place of the list
  // file: fails when that file still names files that exist (in `context`'s file system),
  // since replacing it would leave them named by no list; the failure names the list, how
  // many of its files are on disk, and what to do. With `append` those entries are kept
  // instead, and every write() names them before the job's own files, so one erase removes
  // both; a list of another target is refused. A list whose files are all gone is replaced.
  void takeOver(Context& context, const std::string& target, bool append);

  // Records `target` as the list's target (build, run).
  void setTarget(std::string target) { header_.target = std::move(target); }
  // Writes `files1` as the list, synced before it returns (nothing when there is no path).
  void write(const TextTable& files1, ListWriteOptions options = {});

  const std::string& path() const { return path_; }
  // The target the list records, as read or set; nothing when it records none.
  const std::optional<std::string>& target() const { return header_.target; }

 private:
  std::string path_;
  LinkAtName links_;
  ListHeader header_;
  // The entries of the list taken over with --append whose files were on disk.
  std::unique_ptr<TextTable> kept_;
  std::unique_ptr<ListLock> lock_;
};

}  // namespace brimwell::joblist
