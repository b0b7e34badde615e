// The % column under a locale whose decimal separator is ",": German, compiled for the
// test run. The expected texts are written out here, not asked of the locale.
#ifndef _WIN32

#include <gtest/gtest.h>

#include "census/census.h"
#include "census_fixture.h"
#include "platform/locale_info.h"
#include "support/compiled_locale.h"

namespace brimwell::testing {
namespace {

TEST(DecimalComma, ThePercentColumnShowsTheGermanSeparator) {
  const CompiledLocale german("de_DE", "UTF-8", "de_DE.UTF-8");
  ASSERT_EQ(german.error(), "");
  const CompiledLocale::InUse inUse(german);
  ASSERT_EQ(userDecimalSeparator(), ",");

  CensusFixture f;
  f.context.decimalSeparator = userDecimalSeparator();  // as the window and the CLI take it
  f.dir.writeFile("t/a", std::string(100, 'a'));
  f.dir.writeFile("t/b", std::string(200, 'b'));
  f.dir.writeFile("t/c", std::string(300, 'c'));
  f.setRows({{"100", "0"}, {"200", "0"}, {"300", "0"}, {"400", "0"}});
  f.fields.setText(EditField::scanpath, f.dir / "t");
  ASSERT_EQ(census::analyse(f.context), Outcome::Done);
  EXPECT_EQ(f.column(kPercentCell), (std::vector<std::string>{"33,33", "33,33", "33,33", "0,00"}));
}

}  // namespace
}  // namespace brimwell::testing

#endif
