// Failures: exceptions that carry the exact message the user sees.
//
// An operation that meets a failure it does not handle itself throws; the face (window
// or command line) shows errorBoxText(message) and returns to waiting for input.
//
// The Failure itself (the message, the path and the system's error) is platform/failure.h,
// so the platform's calls fail the same way; here are the failures of input/output requests
// and the messages built from them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"
#include "platform/system_error.h"

namespace brimwell {

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
