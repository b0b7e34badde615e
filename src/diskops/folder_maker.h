// Makes sure the folder of a file exists before the file is created, creating the missing
// chain of folders from the outermost in.
//
// The rule, for a folder part (a path ending in a separator or ":"): an empty one fails with
// "Unable to create directory"; otherwise its trailing separator is dropped, and a root, an
// existing directory or a path that is its own folder part needs nothing; any other folder
// has its own folder part made first and is then created. A refused creation is not
// reported: the folders inside it are skipped, and the file creation that follows fails.
// A folder that another process makes between the check and the creation counts as made.
//
// Files of one folder usually come one after another, so the last folder made is
// remembered and not checked again; forget() drops it when it turns out to have vanished.
// The last refusal is kept (refusal()), so that the failure of the file that follows can
// name the folder and its own reason.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/path_style.h"
#include "platform/system_error.h"

namespace brimwell::diskops {

class FolderMaker {
 public:
  // A folder whose creation was refused, with the Windows error number (183 for a file of
  // that name in its place).
  struct Refusal {
    std::string folder;
    int error = 0;
    std::optional<SystemError> why;  // the system's error behind it, when it says more
  };

  FolderMaker(FileSystem& fs, PathStyle style) : fs_(fs), style_(style) {}

  // Applies the rule to `folderPart` unless it is the folder made last. Returns whether the
  // folder is there (a refusal is not an error here).
  bool ensure(std::string_view folderPart);
  // Whether `folderPart` was skipped as the folder made last.
  bool isRemembered(std::string_view folderPart) const { return hasLast_ && folderPart == last_; }
  void forget() { hasLast_ = false; }
  // The refusal of the last ensure() that failed; error 0 after one that succeeded.
  const Refusal& refusal() const { return refusal_; }

 private:
  bool make(std::string_view folderPart);

  FileSystem& fs_;
  PathStyle style_;
  std::string last_;
  bool hasLast_ = false;
  std::string scratch_;
  Refusal refusal_;
};

}  // namespace brimwell::diskops
