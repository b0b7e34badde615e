// The file system of the platform the program was built for: Win32FileSystem on Windows,
// PosixFileSystem elsewhere.
#pragma once

#include <memory>

#include "platform/file_system.h"

namespace brimwell {

std::unique_ptr<FileSystem> makeNativeFileSystem();

}  // namespace brimwell
