// A question asked about every file of an ordered walk, on the walk's pool threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace brimwell::walk {

class FileQuery {
 public:
  virtual ~FileQuery() = default;
  // Asked on a pool thread for each file entry, in no fixed order across threads: `path` is
  // the folder's path followed by the entry's name, `worker` (0 to the pool's size - 1)
  // names the asking thread, so that totals can be kept per thread without a lock. The
  // answer travels with the entry to the walk's taker. Calls on different threads run at
  // the same time. An exception ends the walk: the taker gets it after the entries before
  // this file.
  virtual std::uint64_t ask(const std::string& path, const DirEntry& entry, std::size_t worker) = 0;
};

}  // namespace brimwell::walk
