#include "app/random_bytes.h"

#include <array>

namespace brimwell {

namespace {

constexpr std::size_t kLanes = 16;

// The generator stepped k times is again a step of the same form: s -> multiplier*s +
// increment (mod 2^32). Composed one step at a time, so no division is needed.
struct Jump {
  std::uint32_t multiplier = 1;
  std::uint32_t increment = 0;
};

constexpr Jump jumpOf(std::size_t steps) {
  Jump jump;
  for (std::size_t i = 0; i < steps; ++i) {
    jump.multiplier *= RandomSource::kMultiplier;
    jump.increment = jump.increment * RandomSource::kMultiplier + RandomSource::kIncrement;
  }
  return jump;
}

constexpr Jump kLaneJump = jumpOf(kLanes);

// draw(256) is the high 32 bits of state*256, that is the state's top byte.
inline std::uint8_t topByte(std::uint32_t state) { return static_cast<std::uint8_t>(state >> 24); }

}  // namespace

void fillRandomBytes(RandomSource& random, std::uint8_t* out, std::size_t count) {
  const std::size_t laned = count / kLanes * kLanes;
  if (laned != 0) {
    // Lane j holds the state of byte j of the current group of kLanes bytes.
    std::array<std::uint32_t, kLanes> lanes;
    std::uint32_t state = random.state();
    for (std::size_t j = 0; j < kLanes; ++j) {
      state = state * RandomSource::kMultiplier + RandomSource::kIncrement;
      lanes[j] = state;
    }
    std::uint32_t lastState = state;
    for (std::size_t group = 0; group < laned; group += kLanes) {
      for (std::size_t j = 0; j < kLanes; ++j) out[group + j] = topByte(lanes[j]);
      lastState = lanes[kLanes - 1];
      for (std::size_t j = 0; j < kLanes; ++j) {
        lanes[j] = lanes[j] * kLaneJump.multiplier + kLaneJump.increment;
      }
    }
    random.setState(lastState);
  }
  for (std::size_t i = laned; i < count; ++i) {
    out[i] = static_cast<std::uint8_t>(random.draw(256));
  }
}

}  // namespace brimwell
