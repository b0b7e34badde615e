// Failures: exceptions that carry the exact message the user sees.
//
// An operation that meets a failure it does not handle itself throws; the face (window
// or command line) shows errorBoxText(message) and returns to waiting for input. A call that
// answers a figure it may not have returns Expected<T> (platform/expected.h), whose failure is
// one of these too.
//
// A failure may name the path it is about and carry the system's own error (its number and
// words, platform/system_error.h). The window shows the message alone, as it always has; the
// command line adds the system's words, which say what the message's number cannot (a
// read-only file system, a link that is not followed).
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/system_error.h"

namespace brimwell {

class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& message) : std::runtime_error(message), message_(message) {}
  Failure(const std::string& message, std::optional<std::string> path,
          std::optional<SystemError> systemError)
      : std::runtime_error(message),
        message_(message),
        path_(std::move(path)),
        systemError_(std::move(systemError)) {}
  // The whole message; what() ends at a NUL that a quoted cell may hold.
  const std::string& message() const { return message_; }
  // The path the failure is about, when it names one.
  const std::optional<std::string>& path() const { return path_; }
  // The system's error behind it, when the system said more than the message does.
  const std::optional<SystemError>& systemError() const { return systemError_; }
  // The message and, after ": ", the system's words: what the command line shows.
  std::string explained() const;

 private:
  std::string message_;
  std::optional<std::string> path_;
  std::optional<SystemError> systemError_;
};

}  // namespace brimwell
