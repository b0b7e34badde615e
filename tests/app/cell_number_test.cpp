#include "app/cell_number.h"

#include <gtest/gtest.h>

#include "app/failure.h"

namespace brimwell {
namespace {

TEST(CellNumber, DecimalFormsAndBlanks) {
  EXPECT_EQ(tryParseInt32("0"), 0);
  EXPECT_EQ(tryParseInt32("007"), 7);
  EXPECT_EQ(tryParseInt32("   42"), 42);
  EXPECT_EQ(tryParseInt32("+5"), 5);
  EXPECT_EQ(tryParseInt32("-0"), 0);
  EXPECT_EQ(tryParseInt32(" -12"), -12);
  // Only the space character is skipped, and only before the number.
  EXPECT_EQ(tryParseInt32("\t5"), std::nullopt);
  EXPECT_EQ(tryParseInt32("5 "), std::nullopt);
  EXPECT_EQ(tryParseInt32("- 5"), std::nullopt);
  EXPECT_EQ(tryParseInt32("1.5"), std::nullopt);
  EXPECT_EQ(tryParseInt32(""), std::nullopt);
  EXPECT_EQ(tryParseInt32("   "), std::nullopt);
  EXPECT_EQ(tryParseInt32("+"), std::nullopt);
  EXPECT_EQ(tryParseInt32("-"), std::nullopt);
  EXPECT_EQ(tryParseInt32("+-1"), std::nullopt);
}

TEST(CellNumber, HexForms) {
  EXPECT_EQ(tryParseInt32("$10"), 16);
  EXPECT_EQ(tryParseInt32("x1f"), 31);
  EXPECT_EQ(tryParseInt32("X1F"), 31);
  EXPECT_EQ(tryParseInt32("0x10"), 16);
  EXPECT_EQ(tryParseInt32("0XaB"), 171);
  EXPECT_EQ(tryParseInt32("$FFFFFFFF"), -1);
  EXPECT_EQ(tryParseInt32("$80000000"), INT32_MIN);
  EXPECT_EQ(tryParseInt32("-$10"), -16);
  EXPECT_EQ(tryParseInt32("-$FFFFFFFF"), 1);
  EXPECT_EQ(tryParseInt32("+0x7fffffff"), INT32_MAX);
  // Leading zeros are not significant digits.
  EXPECT_EQ(tryParseInt32("$000000000001"), 1);
  // Nine significant digits do not fit a 32-bit cell; sixteen fit a 64-bit one.
  EXPECT_EQ(tryParseInt32("$100000000"), std::nullopt);
  EXPECT_EQ(tryParseInt64("$100000000"), 4294967296LL);
  EXPECT_EQ(tryParseInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(tryParseInt64("$10000000000000000"), std::nullopt);
  // A bare prefix, a prefix after the sign only, and a sign after the prefix fail.
  EXPECT_EQ(tryParseInt32("$"), std::nullopt);
  EXPECT_EQ(tryParseInt32("0x"), std::nullopt);
  EXPECT_EQ(tryParseInt32("-x"), std::nullopt);
  EXPECT_EQ(tryParseInt32("$-1"), std::nullopt);
  EXPECT_EQ(tryParseInt32("$1g"), std::nullopt);
  EXPECT_EQ(tryParseInt32("$1 "), std::nullopt);
}

TEST(CellNumber, RangeEdgesOfBothWidths) {
  EXPECT_EQ(tryParseInt32("2147483647"), INT32_MAX);
  EXPECT_EQ(tryParseInt32("-2147483648"), INT32_MIN);
  EXPECT_EQ(tryParseInt32("2147483648"), std::nullopt);
  EXPECT_EQ(tryParseInt32("-2147483649"), std::nullopt);
  EXPECT_EQ(tryParseInt32("0000000000002147483647"), INT32_MAX);
  EXPECT_EQ(tryParseInt64("2147483648"), 2147483648LL);
  EXPECT_EQ(tryParseInt64("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(tryParseInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(tryParseInt64("9223372036854775808"), std::nullopt);
  EXPECT_EQ(tryParseInt64("99999999999999999999999"), std::nullopt);
}

TEST(CellNumber, FailureCarriesTheWholeText) {
  try {
    parseInt32Cell(" abc ");
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.what(), "' abc ' is not a valid integer value");
  }
  EXPECT_THROW(parseInt64Cell("12x"), Failure);
  EXPECT_EQ(parseInt64Cell("-$1"), -1);
}

TEST(CellNumber, Formatting) {
  EXPECT_EQ(formatInteger(0), "0");
  EXPECT_EQ(formatInteger(-1024), "-1024");
  EXPECT_EQ(formatInteger(INT64_MIN), "-9223372036854775808");
}

}  // namespace
}  // namespace brimwell
