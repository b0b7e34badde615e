#include "platform/failure.h"

#include "platform/windows_errors.h"

namespace brimwell {

std::string Failure::explained() const {
  if (!systemError_) return message_;
  return message_ + ": " + systemErrorText(*systemError_);
}

std::string ioErrorMessage(int code) {
  switch (code) {
    case winerr::kFileNotFound:
      return "File not found";
    case winerr::kPathNotFound:
      return "Invalid filename";
    case winerr::kTooManyOpenFiles:
      return "Too many open files";
    case winerr::kAccessDenied:
      return "File access denied";
    default:
      return "I/O error " + std::to_string(code);
  }
}

IoFailure::IoFailure(int code, std::optional<std::string> path)
    : Failure(ioErrorMessage(code), std::move(path), refusalBehind(code)), code_(code) {}

std::string ioErrorText(const Failure& refusal) {
  const std::optional<SystemError>& why = refusal.systemError();
  return why ? systemErrorText(*why) : refusal.message();
}

std::string ioErrorText(int code) { return ioErrorText(IoFailure(code)); }

}  // namespace brimwell
