#include "app/random_bytes.h"

#include <gtest/gtest.h>
#include <vector>

namespace brimwell {
namespace {

// The fill gives, byte for byte, what one draw(256) a byte gives, and leaves the source
// where those draws would have left it, for every length around the lane width.
TEST(RandomBytes, EqualsOneDrawAByteWithEveryKernel) {
  for (const FillKernel kernel : {FillKernel::Portable, FillKernel::Sse2, FillKernel::Avx2}) {
    if (!fillKernelAvailable(kernel)) continue;
    for (const std::uint32_t seed : {0u, 1u, 0xdeadbeefu, 0xffffffffu}) {
      for (std::size_t count :
           {0, 1, 7, 8, 9, 31, 32, 33, 63, 64, 65, 127, 128, 129, 1000, 2047, 2048, 5000}) {
        RandomSource byDraw(seed);
        std::vector<std::uint8_t> expected(count);
        for (auto& byte : expected) byte = static_cast<std::uint8_t>(byDraw.draw(256));

        RandomSource laned(seed);
        std::vector<std::uint8_t> filled(count + 1, 0xa5);
        fillRandomBytes(laned, filled.data(), count, kernel);
        EXPECT_EQ(std::vector<std::uint8_t>(filled.begin(), filled.begin() + count), expected)
            << static_cast<int>(kernel) << " " << seed << " " << count;
        EXPECT_EQ(filled[count], 0xa5) << "wrote past the end";
        EXPECT_EQ(laned.state(), byDraw.state())
            << static_cast<int>(kernel) << " " << seed << " " << count;
      }
    }
  }
  // The default picks one of them.
  RandomSource byDraw(5);
  RandomSource laned(5);
  std::vector<std::uint8_t> filled(2048);
  fillRandomBytes(laned, filled.data(), filled.size());
  for (const std::uint8_t byte : filled) ASSERT_EQ(byte, byDraw.draw(256));
  EXPECT_EQ(laned.state(), byDraw.state());
}

}  // namespace
}  // namespace brimwell
