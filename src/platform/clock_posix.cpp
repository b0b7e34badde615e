#include "platform/clock.h"

#include <ctime>

namespace brimwell {

std::uint32_t seedClockValue() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto nanoseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
                           static_cast<std::uint64_t>(now.tv_nsec);
  return static_cast<std::uint32_t>(nanoseconds);
}

}  // namespace brimwell
