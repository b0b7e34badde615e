// Failures: exceptions that carry the exact message the user sees.
//
// An operation that meets a failure it does not handle itself throws; the face (window
// or command line) shows errorBoxText(message) and returns to waiting for input.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace brimwell {

class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& message) : std::runtime_error(message), message_(message) {}
  // The whole message; what() ends at a NUL that a quoted cell may hold.
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

// A refused input/output request, with the Windows error number that picks its message.
class IoFailure : public Failure {
 public:
  explicit IoFailure(int code);
  int code() const { return code_; }

 private:
  int code_;
};

// "File not found" for 2, "Invalid filename" for 3, "Too many open files" for 4,
// "File access denied" for 5, "I/O error N" for any other number.
std::string ioErrorMessage(int code);

// "'text' is not a valid integer value"
[[noreturn]] void throwInvalidInteger(std::string_view text);
// "List index out of bounds (index)"
[[noreturn]] void throwListIndexOutOfBounds(long long index);
// "Unable to create directory"
[[noreturn]] void throwUnableToCreateDirectory();

// The error box's text: the message with a full stop added when its last character
// sorts after "." in byte order (none after "!", ")", ",", "-", "." or a blank).
std::string errorBoxText(std::string_view message);

// The application's title from the executable's path: the file name up to its first
// ".", every character after the first in lower case.
std::string applicationTitle(std::string_view executablePath);

}  // namespace brimwell
