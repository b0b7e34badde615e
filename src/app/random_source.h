// The process-wide pseudo-random source: one 32-bit linear congruential state.
//
// draw(n): state = state * 134775813 + 1 (mod 2^32); the result is the high 32 bits of
// the 64-bit product of the new state and n, so draw(0) is 0 and, for n >= 1, the result
// lies in 0 ... n-1. Everything that draws takes the one source by reference, so a given
// state yields one and only one sequence of results.
#pragma once

#include <cstdint>

namespace brimwell {

class RandomSource {
 public:
  static constexpr std::uint32_t kMultiplier = 134775813u;
  static constexpr std::uint32_t kIncrement = 1u;

  explicit RandomSource(std::uint32_t state = 0) : state_(state) {}

  std::uint32_t state() const { return state_; }
  void setState(std::uint32_t state) { state_ = state; }
  // Seeds from the high-resolution clock; returns the state taken.
  std::uint32_t seedFromClock();

  std::uint32_t draw(std::uint32_t n) {
    state_ = state_ * kMultiplier + kIncrement;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state_) * n) >> 32);
  }

  // The generator stepped `steps` times is again a step of the same form: s -> multiplier * s
  // + increment (mod 2^32). Composed by squaring, in O(log steps).
  struct Jump {
    std::uint32_t multiplier = 1;
    std::uint32_t increment = 0;
  };
  static constexpr Jump jumpOf(std::uint64_t steps) {
    Jump jump;
    Jump power{kMultiplier, kIncrement};  // the step applied 2^k times
    for (; steps != 0; steps >>= 1) {
      if ((steps & 1) != 0) {
        jump.multiplier *= power.multiplier;
        jump.increment = jump.increment * power.multiplier + power.increment;
      }
      power.increment = power.increment * power.multiplier + power.increment;
      power.multiplier *= power.multiplier;
    }
    return jump;
  }
  // The state `steps` draws on: to know what is drawn after a run of draws whose count is
  // known before they are made.
  void skip(std::uint64_t steps) {
    const Jump jump = jumpOf(steps);
    state_ = state_ * jump.multiplier + jump.increment;
  }

 private:
  std::uint32_t state_;
};

}  // namespace brimwell
