// The option table: every ranged option's help and refusal name the range its check holds
// it to, and the check takes the ends of that range and nothing beyond them.
#include <gtest/gtest.h>

#include "cli/option_table.h"
#include "support/contains.h"

namespace brimwell::testing {
namespace {

using cli::Value;

TEST(OptionTable, EachRangedOptionsHelpRefusalAndCheckAgreeOnItsRange) {
  int ranged = 0;
  for (int i = 0; i <= static_cast<int>(cli::Opt::Svg); ++i) {
    const cli::OptionRow& row = cli::optionRow(static_cast<cli::Opt>(i));
    if (row.value != Value::Whole && row.value != Value::Score && row.value != Value::RootFolder) {
      continue;
    }
    ++ranged;
    const std::string range = cli::rangeText(row);
    EXPECT_TRUE(contains(cli::helpText(row), "(" + range)) << cli::helpText(row);
    EXPECT_TRUE(contains(cli::refusal(row, "x"), range)) << cli::refusal(row, "x");
    const auto accepts = [&](std::int64_t number) {
      if (row.value == Value::Score) {
        return cli::checkedScore(row, std::to_string(number / 100) + "." +
                                          std::to_string(number % 100 / 10) +
                                          std::to_string(number % 10))
            .has_value();
      }
      const std::string text = std::to_string(number);
      return row.value == Value::RootFolder ? cli::checkedRoot(row, "a:" + text).has_value()
                                            : cli::checkedWhole(row, text).has_value();
    };
    EXPECT_TRUE(accepts(row.range.minimum) && accepts(row.range.maximum)) << range;
    EXPECT_FALSE(accepts(row.range.maximum + 1)) << range;
    if (row.range.minimum > 0) {
      EXPECT_FALSE(accepts(row.range.minimum - 1)) << range;
    }
  }
  EXPECT_EQ(ranged, 9);
  const cli::OptionRow& layout = cli::optionRow(cli::Opt::Layout);
  EXPECT_EQ(cli::rangeText(layout), "0.50 to 1.00");
  for (const char* bad : {"", ".7", "7.", "0.7.1", "-0.7", "0,7", "1e0"}) {
    EXPECT_FALSE(cli::checkedScore(layout, bad)) << bad;
  }
  EXPECT_EQ(cli::checkedRoot(cli::optionRow(cli::Opt::Root), "a:b:3")->name, "a:b");
  EXPECT_FALSE(cli::checkedWhole(cli::optionRow(cli::Opt::Files), "+5"));
  EXPECT_FALSE(cli::checkedWhole(cli::optionRow(cli::Opt::Files), "5 "));
}

}  // namespace
}  // namespace brimwell::testing
