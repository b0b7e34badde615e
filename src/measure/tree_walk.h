// The walk under a measured folder: every regular file, depth first, in listing order.
//
// Kept apart so that a faster walker can take its place; the measurement needs only the
// files' paths and sizes and the number of folders.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace brimwell::measure {

// Calls `onFile` with the path and listed size of every file under `root` (a folder path,
// with or without a trailing separator). Links are not followed and folders of other file
// systems are not entered; a folder that cannot be listed counts as empty. Returns the
// number of folders met below `root`.
std::int64_t walkFiles(FileSystem& fs, const std::string& root, char separator,
                       const std::function<void(const std::string&, std::uint64_t)>& onFile);

}  // namespace brimwell::measure
