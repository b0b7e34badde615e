#include <windows.h>

#include "platform/atomic_replace.h"
#include "platform/system_error.h"
#include "platform/win32_file_system.h"
#include "platform/windows_errors.h"

namespace brimwell {
namespace {

int lastError() { return static_cast<int>(GetLastError()); }

// The file a link (a reparse point) leads to, or `path` itself.
std::string linkDestination(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return path;
  }
  const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return path;
  char final[MAX_PATH * 4];
  const DWORD length = GetFinalPathNameByHandleA(handle, final, sizeof final, 0);
  CloseHandle(handle);
  if (length == 0 || length >= sizeof final) return path;
  return std::string(final, length);
}

class Win32Replacement : public ReplacementFile {
 public:
  Win32Replacement(HANDLE handle, std::string temporary, std::string destination, DWORD attributes)
      : handle_(handle),
        temporary_(std::move(temporary)),
        destination_(std::move(destination)),
        attributes_(attributes) {}
  ~Win32Replacement() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    if (!committed_ && !temporary_.empty()) DeleteFileA(temporary_.c_str());
  }
  Win32Replacement(const Win32Replacement&) = delete;
  Win32Replacement& operator=(const Win32Replacement&) = delete;

  int write(const void* data, std::size_t size, std::size_t& written) override {
    return writeToHandle(handle_, data, size, written);
  }

  int commit() override {
    if (committed_) return 0;
    if (handle_ == INVALID_HANDLE_VALUE) return winerr::kAccessDenied;
    if (!FlushFileBuffers(handle_)) return abandon(lastError());
    // Windows renames only a file no handle holds without sharing its deletion.
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (attributes_ != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(temporary_.c_str(), attributes_);
    if (!MoveFileExA(temporary_.c_str(), destination_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return abandon(lastError());
    }
    committed_ = true;
    return 0;
  }

  int close() override { return commit(); }

 private:
  int abandon(int error) {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    DeleteFileA(temporary_.c_str());
    temporary_.clear();
    return error;
  }

  HANDLE handle_;
  std::string temporary_;
  std::string destination_;
  DWORD attributes_;
  bool committed_ = false;
};

}  // namespace

int replacementDestination(const std::string& nativePath, LinkAtName links,
                           std::string& destination) {
  const DWORD attributes = GetFileAttributesA(nativePath.c_str());
  // Windows has no shared sticky folders: a link the user named is followed.
  if (links == LinkAtName::Refuse && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    noteRefusal(winerr::kAccessDenied, SystemError{0, "it is a link, not followed"});
    return winerr::kAccessDenied;
  }
  destination = linkDestination(nativePath);
  return 0;
}

// The new files are made by GetTempFileNameA, whose names do not say whose they are.
int removeStaleReplacements(const std::string&, LinkAtName) { return 0; }

std::unique_ptr<ReplacementFile> ReplacementFile::open(const std::string& nativePath, int& error,
                                                       LinkAtName links) {
  std::string destination;
  error = replacementDestination(nativePath, links, destination);
  if (error != 0) return nullptr;
  const DWORD old = GetFileAttributesA(destination.c_str());
  if (old != INVALID_FILE_ATTRIBUTES &&
      (old & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    error = winerr::kAccessDenied;
    return nullptr;
  }
  const std::size_t slash = destination.find_last_of("\\/:");
  std::string folder = slash == std::string::npos ? "." : destination.substr(0, slash + 1);
  // Makes a new file of a unique name in the folder, exclusively.
  char unique[MAX_PATH];
  if (GetTempFileNameA(folder.c_str(), "bw", 0, unique) == 0) {
    error = lastError();
    return nullptr;
  }
  const std::string temporary = unique;
  const HANDLE handle = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = lastError();
    DeleteFileA(temporary.c_str());
    return nullptr;
  }
  return std::make_unique<Win32Replacement>(handle, temporary, destination, old);
}

}  // namespace brimwell
