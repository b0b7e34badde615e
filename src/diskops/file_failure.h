// Failures about one listed file: the message the window shows, unchanged, and the file's
// path, which the command line puts before the message.
#pragma once

#include <optional>
#include <string>

#include "app/failure.h"

namespace brimwell::diskops {

// The file a failure is about.
class AboutFile {
 public:
  explicit AboutFile(std::string path) : path_(std::move(path)) {}
  virtual ~AboutFile() = default;
  const std::string& file() const { return path_; }

 private:
  std::string path_;
};

class FileIoFailure : public IoFailure, public AboutFile {
 public:
  FileIoFailure(int code, std::string path) : IoFailure(code), AboutFile(std::move(path)) {}
};

// A file that could not be created because its folder could not be made: the window shows
// the file's failure ("Invalid filename"), the command line the folder's own reason.
class FolderIoFailure : public FileIoFailure {
 public:
  FolderIoFailure(int code, std::string path, std::string folder, int folderCode,
                  std::optional<SystemError> folderWhy)
      : FileIoFailure(code, std::move(path)),
        folder_(std::move(folder)),
        folderCode_(folderCode),
        folderWhy_(std::move(folderWhy)) {}
  const std::string& folder() const { return folder_; }
  // The Windows error number of the folder's creation; 183 when a file holds its name.
  int folderCode() const { return folderCode_; }
  // The system's error behind the folder's refusal, when it says more than the number.
  const std::optional<SystemError>& folderWhy() const { return folderWhy_; }

 private:
  std::string folder_;
  int folderCode_;
  std::optional<SystemError> folderWhy_;
};

class FileFailure : public Failure, public AboutFile {
 public:
  FileFailure(const std::string& message, std::string path)
      : Failure(message), AboutFile(std::move(path)) {}
};

}  // namespace brimwell::diskops
