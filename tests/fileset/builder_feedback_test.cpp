// What the builder tells the user, when it refuses to start, and what a failure leaves.
#include <gtest/gtest.h>

#include "app/failure.h"
#include "build_fixture.h"
#include "fileset/builder.h"

namespace brimwell::testing {
namespace {

const std::string kNoTemplate =
    "notice: Please analyse disk or load prepared file-sizes preset first!";

class BatchWatch : public TableListener {
 public:
  int started = 0;
  int ended = 0;
  void tableBatchStarted() override { ++started; }
  void tableBatchEnded() override { ++ended; }
  void tableRowsChanged() override {}
  void tableCellChanged(std::size_t, std::size_t) override {}
};

// A fixture whose lists hold something from before, to see what a build leaves alone.
BuildFixture withEarlierLists() {
  BuildFixture fixture;
  const auto row = fixture.lists.files1.addRow("d:\\old\\001-00000001.DAT");
  fixture.lists.files1.addSubCell(row, "17");
  fixture.lists.files.addRow("d:\\stale\\");
  fixture.fields.setValue(SpinField::SpinEdit1, 20);
  fixture.fields.setValue(SpinField::SpinEdit2, 5);
  return fixture;
}

void expectUntouched(const BuildFixture& fixture) {
  EXPECT_EQ(fixture.fileRows(), (std::vector<FileRow>{{"d:\\old\\001-00000001.DAT", "17"}}));
  ASSERT_EQ(fixture.lists.files.rowCount(), 1u);
  EXPECT_EQ(fixture.lists.files.caption(0), "d:\\stale\\");
}

TEST(BuilderFeedback, EmptyTemplateOrZeroSumOnlyGivesTheNotice) {
  for (const auto& rows : std::vector<std::vector<std::pair<std::string, std::string>>>{
           {},
           {{"1024", "0"}, {"2048", "0"}},
           {{"1024", "5"}, {"2048", "-5"}},
           // The sum is 32-bit: these wrap around to 0.
           {{"1024", "2147483647"}, {"2048", "2147483647"}, {"4096", "2"}}}) {
    auto fixture = withEarlierLists();
    fixture.setTemplate(rows);
    fixture.random.setState(9);
    auto context = fixture.context();
    EXPECT_EQ(fileset::build(context), Outcome::Stopped);
    EXPECT_EQ(fixture.feedback.events, std::vector<std::string>{kNoTemplate});
    EXPECT_EQ(fixture.random.state(), 9u);
    expectUntouched(fixture);
  }
}

TEST(BuilderFeedback, BadCountFailsBeforeAnythingChanges) {
  auto fixture = withEarlierLists();
  fixture.setTemplate({{"1024", "5"}, {"2048", "abc"}});
  auto context = fixture.context();
  try {
    fileset::build(context);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.what(), "'abc' is not a valid integer value");
  }
  EXPECT_TRUE(fixture.feedback.events.empty());
  expectUntouched(fixture);
}

TEST(BuilderFeedback, BadThresholdMidwayLeavesTheListMadeAndPartlySized) {
  auto fixture = withEarlierLists();
  fixture.setTemplate({{"1024", "1"}, {"12 ", "1"}, {"4096", "2"}});
  BatchWatch folderWatch;
  BatchWatch fileWatch;
  fixture.lists.files.setListener(&folderWatch);
  fixture.lists.files1.setListener(&fileWatch);
  auto context = fixture.context();
  try {
    fileset::build(context);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.what(), "'12 ' is not a valid integer value");
  }
  // Both lists are shown again.
  EXPECT_EQ(folderWatch.started, 1);
  EXPECT_EQ(folderWatch.ended, 1);
  EXPECT_EQ(fileWatch.started, 1);
  EXPECT_EQ(fileWatch.ended, 1);
  EXPECT_FALSE(fixture.lists.files1.inBatch());
  EXPECT_FALSE(fixture.lists.files.inBatch());

  // 20 files in creation order, the first row's 5 sized, the rest without a size cell.
  const auto rows = fixture.fileRows();
  ASSERT_EQ(rows.size(), 20u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string serial = std::to_string(100000000 + i + 1).substr(1);
    EXPECT_EQ(rows[i].first.substr(rows[i].first.size() - 12), serial + ".DAT");
    EXPECT_EQ(rows[i].second.empty(), i >= 5) << i;
  }
  EXPECT_TRUE(fixture.lists.files.empty());
  EXPECT_EQ(fixture.feedback.status, "Calculating file sizes...");
}

TEST(BuilderFeedback, StatusProgressAndPumpsInOrder) {
  BuildFixture fixture;
  fixture.setTemplate({{"1024", "1"}, {"2048", "3"}});
  fixture.fields.setValue(SpinField::SpinEdit1, 4);
  fixture.fields.setValue(SpinField::SpinEdit2, 3);
  fixture.feedback.recordProgress = true;
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  EXPECT_EQ(fixture.feedback.events,
            (std::vector<std::string>{"status: Buliding folder structure...",
                                      "progress: 0",
                                      "pump",  //
                                      "progress: 33",
                                      "progress: 66",
                                      "progress: 100",  //
                                      "status: Buliding file structure...",
                                      "progress: 0",
                                      "pump",  //
                                      "progress: 25",
                                      "progress: 50",
                                      "progress: 75",
                                      "progress: 100",
                                      "status: Calculating file sizes...",
                                      "progress: 0",
                                      "pump",  //
                                      "progress: 50",
                                      "progress: 100",  //
                                      "progress: 0",
                                      "status: Done.",
                                      "pump"}));
}

// Reads SpinEdit2 as 3 when the folder loop starts and as 0 afterwards, as a field
// edited while the build runs might.
class ShrinkingFields : public FieldValues {
 public:
  std::int32_t value(SpinField field) override {
    if (field == SpinField::SpinEdit2 && folderReads_++ > 0) return 0;
    return FieldValues::value(field);
  }

 private:
  int folderReads_ = 0;
};

TEST(BuilderFeedback, ATotalReadAsZeroLeavesTheProgressBarAlone) {
  BuildFixture fixture;
  ShrinkingFields fields;
  fields.setValue(SpinField::SpinEdit1, 2);
  fields.setValue(SpinField::SpinEdit2, 3);
  fixture.setTemplate({{"1024", "1"}});
  fixture.feedback.recordProgress = true;
  Context context{
      fixture.lists, fields, fixture.feedback, fixture.fs, fixture.random, *fixture.collation,
      fixture.style, "."};
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  const std::vector<std::string> start(fixture.feedback.events.begin(),
                                       fixture.feedback.events.begin() + 4);
  EXPECT_EQ(start, (std::vector<std::string>{"status: Buliding folder structure...", "progress: 0",
                                             "pump", "status: Buliding file structure..."}));
  EXPECT_EQ(fixture.lists.files1.rowCount(), 2u);
}

TEST(BuilderFeedback, NoFoldersToPlaceFilesInFails) {
  BuildFixture fixture;
  fixture.setTemplate({{"1024", "1"}});
  fixture.fields.setValue(SpinField::SpinEdit2, 0);
  auto context = fixture.context();
  try {
    fileset::build(context);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.what(), "List index out of bounds (0)");
  }
  EXPECT_TRUE(fixture.lists.files1.empty());
  EXPECT_FALSE(fixture.lists.files1.inBatch());
}

TEST(BuilderFeedback, ARebuildReplacesTheWholeList) {
  auto fixture = withEarlierLists();
  fixture.setTemplate({{"1024", "1"}});
  auto context = fixture.context();
  ASSERT_EQ(fileset::build(context), Outcome::Done);
  ASSERT_EQ(fixture.lists.files1.rowCount(), 20u);
  for (const auto& [path, size] : fixture.fileRows())
    EXPECT_EQ(path.find("old"), std::string::npos);
  EXPECT_TRUE(fixture.lists.files.empty());
}

}  // namespace
}  // namespace brimwell::testing
