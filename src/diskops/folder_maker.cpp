#include "diskops/folder_maker.h"

#include "app/failure.h"
#include "platform/windows_errors.h"

namespace brimwell::diskops {

bool FolderMaker::ensure(std::string_view folderPart) {
  if (isRemembered(folderPart)) return true;
  refusal_.error = 0;
  const bool made = make(folderPart);
  if (made) {
    last_.assign(folderPart);
    hasLast_ = true;
  } else {
    hasLast_ = false;
  }
  return made;
}

bool FolderMaker::make(std::string_view folderPart) {
  if (folderPart.empty()) throwUnableToCreateDirectory();
  std::string_view folder = folderPart;
  if (PathStyle::isSeparator(folder.back())) folder.remove_suffix(1);
  if (style_.isRoot(folder)) return true;
  const std::string_view parent = style_.folderPartOf(folder);
  if (parent == folder) return true;

  scratch_.assign(folder);
  PathAttributes attributes;
  if (fs_.attributes(scratch_, attributes) && attributes.isDirectory) return true;
  if (!make(parent)) return false;
  scratch_.assign(folder);  // the recursion reused the scratch path
  const int error = fs_.createFolder(scratch_);
  const bool exists = error == winerr::kAlreadyExists || error == winerr::kFileExists;
  // Another process made it since the check: a folder there counts as made.
  if (error == 0 || (exists && fs_.attributes(scratch_, attributes) && attributes.isDirectory)) {
    return true;
  }
  refusal_ = {scratch_, exists ? winerr::kAlreadyExists : error, refusalBehind(error)};
  return false;
}

}  // namespace brimwell::diskops
