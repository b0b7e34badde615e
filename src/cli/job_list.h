// The list file of a command-line job as the commands use it: locked for the command's
// whole run, read with its recorded target, kept inside that target, and written back.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cli/list_file.h"
#include "cli/list_lock.h"
#include "cli/session.h"

namespace brimwell::cli {

class JobList {
 public:
  // Locks the list at `path` (when there is one: `path` may be empty for run without
  // --list). `rewrites`: the command writes the list back, so it must be a regular file.
  JobList(std::string path, bool rewrites);

  // Reads the list into the file list of `session`, keeping its recorded target.
  void read(Session& session);
  // Reads it for a command that writes or deletes files (reproduce, erase): every entry must
  // lie inside the list's target, or, for a list that records none, inside the --target
  // the session was given; the target becomes the session's target path, to which the
  // writer and the erase keep. Fails, naming the first line outside, before anything is
  // asked or touched.
  void readInsideTarget(Session& session, bool targetGiven);

  // Records `target` as the list's target (build, run).
  void setTarget(std::string target) { header_.target = std::move(target); }
  // Writes the session's file list back (nothing when there is no path).
  void write(Session& session);

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  ListHeader header_;
  std::unique_ptr<ListLock> lock_;
};

}  // namespace brimwell::cli
