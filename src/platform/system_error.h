// The system's own account of a refused request: its error number and what it means in
// words, kept beside the Windows error number that picks the window's message.
//
// The file-system calls report refusals as Windows error numbers (file_system.h), which say
// less than the system did: a read-only file system and a permission both become 5. A backend
// notes the system's own error for the refusal it reports, on the thread that made the
// request, and a failure made from that Windows number on that thread picks it up (as errno
// and GetLastError are read after the call that set them).
#pragma once

#include <optional>
#include <string>

namespace brimwell {

struct SystemError {
  // The system's number (errno on POSIX, GetLastError() on Windows); 0 for a refusal the tool
  // makes itself, such as a symbolic link it does not follow.
  int number = 0;
  // What happened, in lower case: "read-only file system", "it is a symbolic link, not
  // followed".
  std::string words;
};

// The system's error `number` with the system's words for it.
SystemError systemError(int number);

// The system's words for its error `number` as it writes them ("Permission denied"): the one
// place where an error number becomes text.
std::string systemWords(int number);

// The system's error for a path whose folder is missing, and for a path that names something
// other than a folder where a folder is needed.
SystemError missingFolderError();
SystemError notAFolderError();

// "read-only file system (errno 30)": the words, and the number where there is one.
std::string systemErrorText(const SystemError& error);

// Notes that this thread's last request was refused for `error`, reported as the Windows
// error number `windowsCode`; nothing for an error that the number's message says in full.
void noteRefusal(int windowsCode, std::optional<SystemError> error);

// The error noted for this thread's last refusal, when it was reported as `windowsCode` and
// says more than that number's message (no words for a missing file reported as 2, a
// permission reported as 5); nothing otherwise.
std::optional<SystemError> refusalBehind(int windowsCode);

}  // namespace brimwell
