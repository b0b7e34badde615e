// How many threads this process has now, for tests that check none is left behind.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iterator>

namespace brimwell::testing {

inline std::size_t threadCount() {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                    std::filesystem::directory_iterator()));
}

}  // namespace brimwell::testing
