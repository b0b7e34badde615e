#include "app/fields.h"

#include <gtest/gtest.h>

namespace brimwell {
namespace {

TEST(Fields, SpinValuesParseAsCellsOrFallBackToTheMinimum) {
  FieldValues fields;
  EXPECT_EQ(fields.value(SpinField::SpinEdit1), 6000);
  EXPECT_EQ(fields.text(EditField::reprodpath), "d:\\");
  fields.setText(SpinField::SpinEdit1, " 5");
  EXPECT_EQ(fields.value(SpinField::SpinEdit1), 5);
  fields.setText(SpinField::SpinEdit1, "$10");
  EXPECT_EQ(fields.value(SpinField::SpinEdit1), 16);
  fields.setText(SpinField::SpinEdit1, "");
  EXPECT_EQ(fields.value(SpinField::SpinEdit1), 1);
  fields.setText(SpinField::subf4, "9999999999");
  EXPECT_EQ(fields.value(SpinField::subf4), 0);
  // Reading does not clamp.
  fields.setText(SpinField::delprocent, "150");
  EXPECT_EQ(fields.value(SpinField::delprocent), 150);
  EXPECT_EQ(clampToRange(150, 1, 99), 99);
  EXPECT_EQ(clampToRange(0, 1, 30000), 1);
  EXPECT_EQ(clampToRange(-5, 7, 7), -5);
}

TEST(Fields, RootFieldsPairUp) {
  EXPECT_STREQ(editFieldInfo(rootNameField(0)).name, "path1");
  EXPECT_STREQ(spinFieldInfo(rootDepthField(4)).name, "subf5");
  EXPECT_EQ(spinFieldInfo(rootDepthField(2)).defaultValue, 8);
  EXPECT_STREQ(editFieldInfo(rootNameField(3)).defaultText, "My Downloads emul");
}

}  // namespace
}  // namespace brimwell
