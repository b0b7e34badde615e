#include "platform/native_file_system.h"

#ifdef _WIN32
#include "platform/win32_file_system.h"
#else
#include "platform/posix_file_system.h"
#endif

namespace brimwell {

std::unique_ptr<FileSystem> makeNativeFileSystem() {
#ifdef _WIN32
  return std::make_unique<Win32FileSystem>();
#else
  return std::make_unique<PosixFileSystem>();
#endif
}

}  // namespace brimwell
