// How the builder hands out sizes: ranges per template row, rounding, surplus and left-over.
#include <gtest/gtest.h>

#include "build_fixture.h"
#include "fileset/build_steps.h"
#include "fileset/builder.h"

namespace brimwell::testing {
namespace {

// The file entries in creation order (serial order): a one-folder build in byte order.
BuildFixture serialOrderFixture(std::int32_t files) {
  BuildFixture fixture;
  fixture.setDepths(0);
  fixture.setRootNames("W");
  fixture.fields.setValue(SpinField::SpinEdit2, 1);
  fixture.fields.setValue(SpinField::SpinEdit1, files);
  return fixture;
}

std::vector<std::int64_t> sizesOf(const BuildFixture& fixture) {
  std::vector<std::int64_t> sizes;
  for (const auto& [path, size] : fixture.fileRows()) sizes.push_back(std::stoll(size));
  return sizes;
}

TEST(BuilderSizes, EqualThresholdsGiveExactlyTheThreshold) {
  auto fixture = serialOrderFixture(30);
  fixture.setTemplate({{"1000", "10"}, {"1000", "20"}});
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  const auto sizes = sizesOf(fixture);
  for (std::size_t i = 0; i < 10; ++i) EXPECT_LT(sizes[i], 1000);
  for (std::size_t i = 10; i < 30; ++i) EXPECT_EQ(sizes[i], 1000);
}

TEST(BuilderSizes, OneRowOf1024GivesSizesFromZeroTo1023) {
  auto fixture = serialOrderFixture(5000);
  fixture.setTemplate({{"1024", "7"}});
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  const auto sizes = sizesOf(fixture);
  ASSERT_EQ(sizes.size(), 5000u);
  EXPECT_EQ(*std::min_element(sizes.begin(), sizes.end()), 0);
  EXPECT_EQ(*std::max_element(sizes.begin(), sizes.end()), 1023);
}

TEST(BuilderSizes, RowsDrawBetweenThePreviousThresholdAndTheirOwn) {
  auto fixture = serialOrderFixture(100);
  fixture.setTemplate({{"100", "1"}, {"5000000000", "2"}, {"5000000100", "1"}});
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  const auto sizes = sizesOf(fixture);
  for (std::size_t i = 0; i < 25; ++i) EXPECT_LT(sizes[i], 100);
  for (std::size_t i = 75; i < 100; ++i) {  // 64-bit thresholds, a small gap
    EXPECT_GE(sizes[i], 5000000000);
    EXPECT_LT(sizes[i], 5000000100);
  }
}

TEST(BuilderSizes, FilesLeftOverGet1024) {
  // 3 rows of 1 for 10 files: each row scales to 3.33, rounded to 3; file 10 is left.
  auto fixture = serialOrderFixture(10);
  fixture.setTemplate({{"100", "1"}, {"200", "1"}, {"300", "1"}});
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  const auto sizes = sizesOf(fixture);
  for (std::size_t i = 0; i < 9; ++i) EXPECT_LT(sizes[i], 300);
  EXPECT_EQ(sizes[9], 1024);
}

TEST(BuilderSizes, HalvesRoundToEven) {
  // 5 files over counts 1 and 1: 2.5 rounds to 2 each, so file 5 is left over.
  auto fixture = serialOrderFixture(5);
  fixture.setTemplate({{"100", "1"}, {"200", "1"}});
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  EXPECT_EQ(sizesOf(fixture)[4], 1024);

  // 7 files: 3.5 rounds to 4 each, one size more than there are files.
  fixture.fields.setValue(SpinField::SpinEdit1, 7);
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  const auto sizes = sizesOf(fixture);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_LT(sizes[i], 100);
  for (std::size_t i = 4; i < 7; ++i) EXPECT_GE(sizes[i], 100);
}

TEST(BuilderSizes, SurplusSizesAreDrawnAndDropped) {
  // Each row rounds 1.67 up to 2: six sizes for five files. The sixth is still drawn, so
  // the random source ends where it would after every draw.
  auto fixture = serialOrderFixture(5);
  fixture.setTemplate({{"100", "1"}, {"200", "1"}, {"300", "1"}});
  fixture.random.setState(77);
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  const auto sizes = sizesOf(fixture);
  EXPECT_LT(sizes[1], 100);
  EXPECT_GE(sizes[2], 100);
  EXPECT_GE(sizes[4], 200);
  EXPECT_LT(sizes[4], 300);
  // 1 folder: root and levels (2 draws); 5 files: 1 draw each; 6 sizes.
  RandomSource expected(77);
  for (int i = 0; i < 2 + 5 + 6; ++i) expected.draw(1);
  EXPECT_EQ(fixture.random.state(), expected.state());
}

TEST(BuilderSizes, HugeScaledCountsStillEndAndSizeEveryFile) {
  // Negative counts shrink the sum to 1, so the first row scales far past 32 bits.
  auto fixture = serialOrderFixture(1000);
  fixture.setTemplate({{"100", "2000000000"}, {"200", "-1999999999"}});
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  for (const auto size : sizesOf(fixture)) EXPECT_LT(size, 100);
}

TEST(BuilderSizes, SkippingDrawsLandsWhereDrawingDoes) {
  for (const std::uint64_t count : {0ull, 1ull, 2ull, 3ull, 1000ull, 123457ull}) {
    RandomSource stepped(0xABCDEF01u);
    RandomSource skipped(0xABCDEF01u);
    for (std::uint64_t i = 0; i < count; ++i) stepped.draw(1);
    fileset::skipDraws(skipped, count);
    EXPECT_EQ(skipped.state(), stepped.state()) << count;
  }
  // The state's period is 2^32: skipping that many draws changes nothing.
  RandomSource full(5);
  fileset::skipDraws(full, std::uint64_t{1} << 32);
  EXPECT_EQ(full.state(), 5u);
}

}  // namespace
}  // namespace brimwell::testing
