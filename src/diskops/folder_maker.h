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
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/path_style.h"

namespace brimwell::diskops {

class FolderMaker {
 public:
  FolderMaker(FileSystem& fs, PathStyle style) : fs_(fs), style_(style) {}

  // Applies the rule to `folderPart` unless it is the folder made last. Returns whether the
  // folder is there (a refusal is not an error here).
  bool ensure(std::string_view folderPart);
  // Whether `folderPart` was skipped as the folder made last.
  bool isRemembered(std::string_view folderPart) const { return hasLast_ && folderPart == last_; }
  void forget() { hasLast_ = false; }

 private:
  bool make(std::string_view folderPart);

  FileSystem& fs_;
  PathStyle style_;
  std::string last_;
  bool hasLast_ = false;
  std::string scratch_;
};

}  // namespace brimwell::diskops
