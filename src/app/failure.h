// Failures: exceptions that carry the exact message the user sees.
//
// An operation that meets a failure it does not handle itself throws; the face (window
// or command line) shows errorBoxText(message) and returns to waiting for input.
//
// The Failure itself (the message, the path and the system's error) and the failure of an
// input/output request are platform/failure.h, so the platform's calls fail the same way; here
// are the operations' own messages.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"
#include "platform/system_error.h"

namespace brimwell {

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
