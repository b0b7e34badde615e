// The walk under a measured folder: every file, in the order of a depth-first walk in
// listing order, asked about on a pool of threads where the file system allows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "walk/file_query.h"
#include "walk/unread_paths.h"

namespace brimwell::measure {

// The threads a walk of `fs` asks its files on: the ordered walk's pool where the file
// system allows listings on several threads at once, else one (worker 0).
std::size_t walkThreads(const FileSystem& fs);

// Asks `query` about every file under `root` (a folder path, with or without a trailing
// separator) on `threads` threads, and calls `onFile` with the answers in walk order, on
// this thread. Links are not followed and folders of other file systems are not entered; a
// folder that cannot be listed counts as empty and is added to `unread`. Returns the number
// of folders met below `root`, or nothing when the threads could not be started: then
// `onFile` was not called, but the query may have been asked about some files (walk again
// on one thread with a fresh query).
std::optional<std::int64_t> walkFiles(FileSystem& fs, const std::string& root, char separator,
                                      walk::FileQuery& query, std::size_t threads,
                                      const std::function<void(std::uint64_t answer)>& onFile,
                                      walk::UnreadPaths& unread);

}  // namespace brimwell::measure
