#include "app/random_source.h"

#include <gtest/gtest.h>

namespace brimwell {
namespace {

TEST(RandomSource, DrawOfZeroAndOneIsZero) {
  RandomSource random(0xDEADBEEF);
  for (int i = 0; i < 1000; ++i) {
    EXPECT_EQ(random.draw(0), 0u);
    EXPECT_EQ(random.draw(1), 0u);
  }
}

TEST(RandomSource, SequenceFromAGivenState) {
  // Worked by hand: state 0 -> 1 -> 134775814 -> 134775813*134775814+1 mod 2^32.
  RandomSource random(0);
  EXPECT_EQ(random.draw(100), 0u);  // state 1: 1*100 >> 32 = 0
  EXPECT_EQ(random.state(), 1u);
  EXPECT_EQ(random.draw(100), 3u);  // state 134775814: 13477581400 >> 32 = 3
  EXPECT_EQ(random.state(), 134775814u);
  // 134775813 * 134775814 + 1 = 18164519823380983, mod 2^32 = 3698175007.
  EXPECT_EQ(random.draw(256), 220u);  // 3698175007 * 256 >> 32 = 220
  EXPECT_EQ(random.state(), 3698175007u);
  // n is taken as unsigned: 2^32-1 gives the state's high bits almost exactly.
  RandomSource wide(0xFFFFFFFFu);
  // (2^32-1) * 134775813 + 1 = 4160191484 mod 2^32; times (2^32-1), high half 4160191483.
  EXPECT_EQ(wide.draw(0xFFFFFFFFu), 4160191483u);
}

TEST(RandomSource, ResultsStayBelowN) {
  RandomSource random(12345);
  for (std::uint32_t n : {2u, 5u, 26u, 256u, 1000000u, 0x7FFFFFFFu}) {
    for (int i = 0; i < 1000; ++i) EXPECT_LT(random.draw(n), n);
  }
}

TEST(RandomSource, SkipLeavesTheStateThatDrawingAsOftenLeaves) {
  for (const std::uint64_t steps : {0ull, 1ull, 2ull, 7ull, 4096ull, 100003ull}) {
    RandomSource drawn(0xC0FFEE);
    for (std::uint64_t i = 0; i < steps; ++i) drawn.draw(256);
    RandomSource skipped(0xC0FFEE);
    skipped.skip(steps);
    EXPECT_EQ(skipped.state(), drawn.state()) << steps;
  }
  // The generator's period is 2^32: so many steps come back to the start.
  RandomSource full(12345);
  full.skip(1ull << 32);
  EXPECT_EQ(full.state(), 12345u);
}

}  // namespace
}  // namespace brimwell
