// The spin fields under a locale whose decimal separator is ",": German, compiled for the
// test run. The expected separator is written out here, not asked of the locale.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "gui/form1.h"
#include "support/compiled_locale.h"

namespace brimwell::testing {
namespace {

TEST(DecimalComma, SpinFieldsTakeTheGermanSeparatorAndDropThePoint) {
  const CompiledLocale german("de_DE", "UTF-8", "de_DE.UTF-8");
  ASSERT_EQ(german.error(), "");
  const CompiledLocale::InUse inUse(german);
  gui::TForm1 form;  // reads the locale's separator as it starts
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  gui::SpinFieldEdit& field = *form.delprocent;
  field.setFocus();
  field.selectAll();
  QTest::keyClicks(&field, "7,5.");
  EXPECT_EQ(field.text(), "7,5");
  EXPECT_EQ(field.droppedKeys(), 1);
  EXPECT_EQ(form.decimalSeparator(), ",");
}

}  // namespace
}  // namespace brimwell::testing
