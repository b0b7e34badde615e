// Jumping the random source ahead by many draws at once.
//
// One draw maps the state x to a*x + c (mod 2^32). Composing that map with itself k times
// gives another map of the same form, found by squaring in log2(k) steps.
#include "fileset/build_steps.h"

namespace brimwell::fileset {

void skipDraws(RandomSource& random, std::uint64_t count) {
  std::uint32_t multiplier = 1;  // the map for the draws taken so far: x -> m*x + i
  std::uint32_t increment = 0;
  std::uint32_t stepMultiplier = RandomSource::kMultiplier;  // the map for 2^bit draws
  std::uint32_t stepIncrement = RandomSource::kIncrement;
  for (; count != 0; count >>= 1) {
    if ((count & 1u) != 0) {
      multiplier *= stepMultiplier;
      increment = increment * stepMultiplier + stepIncrement;
    }
    stepIncrement = stepIncrement * stepMultiplier + stepIncrement;
    stepMultiplier *= stepMultiplier;
  }
  random.setState(random.state() * multiplier + increment);
}

}  // namespace brimwell::fileset
