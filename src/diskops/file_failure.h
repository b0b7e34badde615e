// Failures about one listed file: the message the window shows, unchanged, and the file's
// path, which the command line puts before the message.
#pragma once

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

class FileFailure : public Failure, public AboutFile {
 public:
  FileFailure(const std::string& message, std::string path)
      : Failure(message), AboutFile(std::move(path)) {}
};

}  // namespace brimwell::diskops
