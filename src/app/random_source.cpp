#include "app/random_source.h"

#include "platform/clock.h"

namespace brimwell {

std::uint32_t RandomSource::seedFromClock() {
  state_ = seedClockValue();
  return state_;
}

void RandomSource::skip(std::uint64_t steps) {
  // A step is s -> a*s + c; the step squared is s -> a*a*s + (a*c + c). Composed bit by bit.
  std::uint32_t multiplier = kMultiplier;
  std::uint32_t increment = kIncrement;
  for (; steps != 0; steps >>= 1) {
    if ((steps & 1) != 0) state_ = state_ * multiplier + increment;
    increment = increment * multiplier + increment;
    multiplier *= multiplier;
  }
}

}  // namespace brimwell
