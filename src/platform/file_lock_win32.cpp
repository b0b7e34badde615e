#include <windows.h>

#include "platform/file_lock.h"
#include "platform/windows_errors.h"

namespace brimwell {
namespace {

// The lock file opened without sharing: a second opener is refused until the handle is
// closed, and the file goes with the handle.
class Win32FileLock : public FileLock {
 public:
  explicit Win32FileLock(HANDLE handle) : handle_(handle) {}
  ~Win32FileLock() override { CloseHandle(handle_); }
  Win32FileLock(const Win32FileLock&) = delete;
  Win32FileLock& operator=(const Win32FileLock&) = delete;

 private:
  HANDLE handle_;
};

}  // namespace

Expected<std::unique_ptr<FileLock>> FileLock::take(const std::string& nativePath) {
  const HANDLE handle = CreateFileA(
      nativePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const auto why = static_cast<int>(GetLastError());
    if (why == winerr::kSharingViolation) return std::unique_ptr<FileLock>();
    return IoFailure(why, nativePath);
  }
  return std::unique_ptr<FileLock>(std::make_unique<Win32FileLock>(handle));
}

}  // namespace brimwell
