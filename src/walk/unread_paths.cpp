#include "walk/unread_paths.h"

#include "app/failure.h"
#include "platform/windows_errors.h"

namespace brimwell::walk {

void UnreadPaths::addFolder(std::string_view path, int error) {
  if (error == 0 || error == winerr::kFileNotFound || error == winerr::kPathNotFound) return;
  ++folders_;
  name(path, ioErrorMessage(error));
}

void UnreadPaths::addMetFolder(std::string_view path, int error) {
  if (error != winerr::kFileNotFound && error != winerr::kPathNotFound) {
    addFolder(path, error);
    return;
  }
  ++folders_;
  name(path, "it vanished while the walk ran");
}

void UnreadPaths::addRepeatedFolder(std::string_view path) {
  ++repeated_;
  name(path,
       "the walk is already inside it: a folder mounted again below itself, not walked "
       "twice");
}

void UnreadPaths::addFile(std::string_view path, int error) {
  addFile(path, ioErrorMessage(error));
}

void UnreadPaths::addFile(std::string_view path, std::string reason) {
  ++files_;
  name(path, std::move(reason));
}

void UnreadPaths::merge(const UnreadPaths& other) {
  folders_ += other.folders_;
  files_ += other.files_;
  repeated_ += other.repeated_;
  for (const Named& named : other.named_) name(named.path, named.reason);
}

void UnreadPaths::name(std::string_view path, std::string reason) {
  if (named_.size() < kNamed) named_.push_back({std::string(path), std::move(reason)});
}

std::string UnreadPaths::summary() const {
  const auto counted = [](std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + (count == 1 ? one : many);
  };
  std::string text;
  if (folders_ > 0) text = counted(folders_, " folder", " folders");
  if (files_ > 0) text += (text.empty() ? "" : " and ") + counted(files_, " file", " files");
  if (!text.empty()) text += " could not be read";
  if (repeated_ > 0) {
    text += (text.empty() ? "" : "; ") +
            counted(repeated_, " folder inside itself was", " folders inside themselves were") +
            " not walked again";
  }
  return text;
}

}  // namespace brimwell::walk
