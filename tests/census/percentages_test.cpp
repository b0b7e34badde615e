// The % column: the sum, the extended-precision quotient and its two-decimal text.
#include <gtest/gtest.h>

#include "app/failure.h"
#include "census/percentage_text.h"
#include "census/size_template.h"
#include "census_fixture.h"

namespace brimwell::census {
namespace {

using testing::CensusFixture;

std::vector<std::string> percentagesFor(const std::vector<std::string>& counts,
                                        std::string_view separator = ".") {
  CensusFixture f;
  std::vector<std::vector<std::string>> rows;
  for (const auto& count : counts) rows.push_back({"1", count});
  f.setRows(rows);
  UpdatePercentages(f.lists.sizes, separator);
  return f.column(kPercentCell);
}

TEST(Percentages, SharesOfTheSumWithTwoDecimals) {
  EXPECT_EQ(percentagesFor({"1", "1", "2"}), (std::vector<std::string>{"25.00", "25.00", "50.00"}));
  EXPECT_EQ(percentagesFor({"1", "1", "1"}), (std::vector<std::string>{"33.33", "33.33", "33.33"}));
  EXPECT_EQ(percentagesFor({"120"}), (std::vector<std::string>{"100.00"}));
  EXPECT_EQ(percentagesFor({"2", "1"}, ","), (std::vector<std::string>{"66,67", "33,33"}));
  // Counts are text cells: hexadecimal and leading blanks parse.
  EXPECT_EQ(percentagesFor({"$10", "  16"}), (std::vector<std::string>{"50.00", "50.00"}));
}

TEST(Percentages, RoundsTheEighteenDigitRenderingHalfAwayFromZero) {
  // 0.125 exactly, and 0.145 which is just below it in binary but 0.145000... in 18 digits.
  EXPECT_EQ(percentageText(1, 800, "."), "0.13");
  EXPECT_EQ(percentageText(29, 20000, "."), "0.15");
  EXPECT_EQ(percentageText(1, 3, "."), "33.33");
  EXPECT_EQ(percentageText(2, 3, "."), "66.67");
  EXPECT_EQ(percentageText(1, 200000, "."), "0.00");
  EXPECT_EQ(percentageText(1, 20000, "."), "0.01");  // 0.005 rounds away from zero
  EXPECT_EQ(percentageText(0, 7, "."), "0.00");
  EXPECT_EQ(percentageText(7, 7, ","), "100,00");
  EXPECT_EQ(percentageText(19999, 20000, "."), "100.00");  // 99.995
  EXPECT_EQ(percentageText(2147483647, 1, "."), "214748364700.00");
}

TEST(Percentages, NegativeCountsAndSums) {
  EXPECT_EQ(percentagesFor({"-1", "3"}), (std::vector<std::string>{"-50.00", "150.00"}));
  EXPECT_EQ(percentageText(-1, 800, "."), "-0.13");
  EXPECT_EQ(percentageText(-1, 20001, "."), "0.00");  // no minus on a value that rounds to 0
  EXPECT_EQ(percentageText(0, -5, "."), "0.00");
  EXPECT_EQ(percentageText(1, -4, "."), "-25.00");
}

TEST(Percentages, LargeCountsKeepTheirTrueShare) {
  // 30,000,000 × 100 does not fit 32 bits; the share is still right.
  EXPECT_EQ(percentagesFor({"30000000", "10000000"}), (std::vector<std::string>{"75.00", "25.00"}));
}

TEST(Percentages, ZeroSumOrNoRowsChangesNothing) {
  EXPECT_EQ(percentagesFor({"0", "0"}), (std::vector<std::string>{"0", "0"}));
  EXPECT_EQ(percentagesFor({"-1", "1"}), (std::vector<std::string>{"0", "0"}));
  TextTable empty(4);
  EXPECT_NO_THROW(UpdatePercentages(empty, "."));
}

TEST(Percentages, ACountThatIsNoNumberFailsAndLeavesEveryCell) {
  CensusFixture f;
  f.setRows({{"1", "5"}, {"2", "abc"}});
  f.lists.sizes.setSubCell(0, kPercentCell, "12.00");
  try {
    UpdatePercentages(f.lists.sizes, ".");
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.what(), "'abc' is not a valid integer value");
  }
  EXPECT_EQ(f.column(kPercentCell), (std::vector<std::string>{"12.00", "0"}));
}

}  // namespace
}  // namespace brimwell::census
