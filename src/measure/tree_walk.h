// The walk under a measured folder: every regular file, depth first, in listing order.
//
// Kept apart so that a faster walker can take its place; the measurement needs only the
// files' paths and the number of folders (it reads each file's size as it opens the file).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace brimwell::measure {

// Calls `onFile` with the path of every file under `root` (a folder path,
// with or without a trailing separator). Links are not followed and folders of other file
// systems are not entered; a folder that cannot be listed counts as empty. Returns the
// number of folders met below `root`.
std::int64_t walkFiles(FileSystem& fs, const std::string& root, char separator,
                       const std::function<void(const std::string&)>& onFile);

}  // namespace brimwell::measure
