// Templates the builder cannot model are refused with a notice naming the row, before
// anything changes; templates it can model build exactly as before.
#include "fileset/template_check.h"

#include <gtest/gtest.h>

#include "app/failure.h"
#include "build_fixture.h"
#include "fileset/builder.h"

namespace brimwell::testing {
namespace {

TEST(TemplateCheck, UnmodelledTemplatesGetANoticeNamingTheRowAndNothingIsBuilt) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> rows;
    std::string says;
  };
  const std::vector<Case> cases{
      {{{"512", "1"}, {"300", "1"}}, "row 2 (threshold 300) is below the threshold before it, 512"},
      {{{"512", "1"}, {"3000000000", "1"}}, "row 2 (threshold 3000000000) lies 2 GiB or more"},
      {{{"2147483648", "1"}}, "row 1 (threshold 2147483648) lies 2 GiB or more above 0"},
      {{{"512", "5"}, {"1024", "-1"}}, "row 2 (threshold 1024) has a negative count, -1."},
      {{{"512", "2000000000"}, {"1024", "2000000000"}}, "row 2 (threshold 1024) brings the sum"},
  };
  for (const Case& bad : cases) {
    BuildFixture f;
    f.setTemplate(bad.rows);
    f.lists.files1.addSubCell(f.lists.files1.addRow("kept"), "1");
    const RandomSource before = f.random;
    auto context = f.context();
    EXPECT_EQ(fileset::buildChecked(context), Outcome::Stopped);
    ASSERT_EQ(f.feedback.events.size(), 1u);
    EXPECT_NE(f.feedback.events[0].find(bad.says), std::string::npos) << f.feedback.events[0];
    EXPECT_EQ(f.fileRows(), (std::vector<FileRow>{{"kept", "1"}}));
    EXPECT_EQ(f.random.state(), before.state());
  }
}

TEST(TemplateCheck, ModelledTemplatesBuildAsBeforeAndBadCellsKeepTheirMessage) {
  // Equal thresholds, a zero count and the largest gap are fine.
  for (const auto& rows : std::vector<std::vector<std::pair<std::string, std::string>>>{
           {{"512", "3"}, {"512", "1"}, {"4096", "0"}, {"2147487743", "2"}}}) {
    BuildFixture checked;
    BuildFixture plain;
    checked.setTemplate(rows);
    plain.setTemplate(rows);
    auto a = checked.context();
    auto b = plain.context();
    ASSERT_EQ(fileset::buildChecked(a), Outcome::Done);
    ASSERT_EQ(fileset::build(b), Outcome::Done);
    EXPECT_EQ(checked.fileRows(), plain.fileRows());
  }
  BuildFixture f;
  f.setTemplate({{"512", "abc"}, {"100", "1"}});
  auto context = f.context();
  EXPECT_THROW(fileset::buildChecked(context), brimwell::Failure);
}

}  // namespace
}  // namespace brimwell::testing
