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

// A refused input/output request, with the Windows error number that picks its message and
// the system's error this thread noted for it.
class IoFailure : public Failure {
 public:
  explicit IoFailure(int code, std::optional<std::string> path = std::nullopt);
  int code() const { return code_; }

 private:
  int code_;
};

// What happened, for messages that the command line alone shows: the system's words noted
// on this thread for the Windows number `code` ("read-only file system (errno 30)"), or the
// number's message when none were noted ("File not found").
std::string ioErrorText(int code);
// The same for a refused request's failure: the system's words it carries, or its message.
std::string ioErrorText(const Failure& refusal);

// "File not found" for 2, "Invalid filename" for 3, "Too many open files" for 4,
// "File access denied" for 5, "I/O error N" for any other number.
std::string ioErrorMessage(int code);

}  // namespace brimwell
