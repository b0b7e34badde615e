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
  JobList(std::string path, bool rewrites);

  // Reads the list into `context`'s file list, keeping its recorded target.
  void read(Context& context);
  // Reads it for a command that writes or deletes files (reproduce, erase): every entry must
  // lie inside the list's target (normalised), or, for a list that records none, inside
  // `givenTarget`. The target may be neither empty nor the root of the tree unless
  // `allowRoot`. Returns the target the writer and the erase are to keep to. Fails, naming
  // the first line outside, before anything is asked or touched.
  std::string readInsideTarget(Context& context, const std::optional<std::string>& givenTarget,
                               bool allowRoot);

  // Records `target` as the list's target (build, run).
  void setTarget(std::string target) { header_.target = std::move(target); }
  // Writes `files1` as the list, synced before it returns (nothing when there is no path).
  void write(const TextTable& files1, const ListWriteOptions& options = {});

  const std::string& path() const { return path_; }
  // The target the list records, as read or set; nothing when it records none.
  const std::optional<std::string>& target() const { return header_.target; }

 private:
  std::string path_;
  ListHeader header_;
  std::unique_ptr<ListLock> lock_;
};

}  // namespace brimwell::joblist
