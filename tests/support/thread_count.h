// How many threads this process has now, for tests that check none is left behind.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <iterator>
#include <thread>

namespace brimwell::testing {

inline std::size_t threadCount() {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                    std::filesystem::directory_iterator()));
}

// The thread count once it has come down to `expected`, or after two seconds. A joined
// thread has finished, but the kernel may list it under /proc/self/task a moment longer.
inline std::size_t threadCountSettledAt(std::size_t expected) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  std::size_t count = threadCount();
  while (count > expected && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    count = threadCount();
  }
  return count;
}

}  // namespace brimwell::testing
