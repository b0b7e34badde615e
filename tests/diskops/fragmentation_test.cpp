#include "diskops/fragmentation.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "operation_fixture.h"
#include "support/temp_dir.h"

namespace brimwell {
namespace {

using testing::Operation;
using testing::TempDir;
namespace stdfs = std::filesystem;

std::string entryName(std::size_t i) { return "d:\\f\\" + std::to_string(100000 + i) + ".DAT"; }

void fillList(Operation& op, std::size_t count) {
  op.lists.files1.clear();
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t row = op.lists.files1.addRow(entryName(i));
    op.lists.files1.addSubCell(row, std::to_string(i));
  }
}

std::string sortOutQuestion(std::size_t removed, std::size_t count) {
  return "Removing " + std::to_string(removed) + " out of " + std::to_string(count) +
         " random items from the list. The rest files are expected to be deleted in step D. "
         "Proceed now?";
}

TEST(SortOut, KeepsThePercentageRoundedHalfToEven) {
  struct Case {
    std::size_t count;
    int percent;
    std::size_t kept;
  };
  for (const Case& c : {Case{6000, 15, 900}, Case{10, 15, 2}, Case{10, 25, 2}, Case{10, 35, 4},
                        Case{1, 1, 0}, Case{1, 99, 1}, Case{3, 50, 2}}) {
    Operation op;
    fillList(op, c.count);
    op.fields.setValue(SpinField::delprocent, c.percent);
    auto context = op.context(PathStyle::windows());
    EXPECT_EQ(diskops::sortOut(context), Outcome::Done);
    EXPECT_EQ(
        op.feedback.events,
        (std::vector<std::string>{"confirm: " + sortOutQuestion(c.count - c.kept, c.count),
                                  "status: Updating file list, please wait...", "status: Done."}))
        << c.count << "@" << c.percent;
    EXPECT_EQ(op.lists.files1.rowCount(), c.kept) << c.count << "@" << c.percent;
    EXPECT_EQ(op.feedback.pumps, 2);
  }
}

// The list after removing, one at a time, the entry at position draw(entries left).
std::vector<std::string> removeOneAtATime(std::vector<std::string> entries, std::size_t removals,
                                          RandomSource& random) {
  for (std::size_t i = 0; i < removals; ++i) {
    const auto at = random.draw(static_cast<std::uint32_t>(entries.size()));
    entries.erase(entries.begin() + at);
  }
  return entries;
}

TEST(SortOut, RemovesTheSameEntriesAsRemovingThemOneAtATime) {
  for (const std::uint32_t seed : {1u, 77u, 4000000000u, 123456789u}) {
    for (const int percent : {1, 15, 50, 99}) {
      Operation op;
      const std::size_t count = 3000 + seed % 1000;
      fillList(op, count);
      op.fields.setValue(SpinField::delprocent, percent);
      op.random.setState(seed);
      std::vector<std::string> all;
      for (std::size_t i = 0; i < count; ++i) all.push_back(entryName(i));
      RandomSource reference(seed);
      const std::size_t kept =
          static_cast<std::size_t>(std::nearbyint(static_cast<double>(count) * percent / 100.0));
      const auto expected = removeOneAtATime(all, count - kept, reference);

      auto context = op.context(PathStyle::windows());
      ASSERT_EQ(diskops::sortOut(context), Outcome::Done);
      ASSERT_EQ(op.paths(), expected) << seed << " " << percent;
      EXPECT_EQ(op.random.state(), reference.state());
      // Each survivor keeps its own size cell.
      for (std::size_t row = 0; row < op.lists.files1.rowCount(); ++row) {
        const std::string caption(op.lists.files1.caption(row));
        EXPECT_EQ(entryName(std::stoul(std::string(op.lists.files1.subCell(row, 0)))), caption);
      }
    }
  }
}

TEST(SortOut, AnEmptyListOrADeclinedQuestionChangesNothing) {
  Operation op;
  auto context = op.context(PathStyle::windows());
  EXPECT_EQ(diskops::sortOut(context), Outcome::Stopped);
  EXPECT_EQ(op.feedback.events, std::vector<std::string>{"notice: The list is empty!"});

  fillList(op, 50);
  const auto before = op.paths();
  const std::uint32_t state = op.random.state();
  op.feedback.events.clear();
  op.feedback.answers = {false};
  EXPECT_EQ(diskops::sortOut(context), Outcome::Declined);
  EXPECT_EQ(op.feedback.events, std::vector<std::string>{"confirm: " + sortOutQuestion(42, 50)});
  EXPECT_EQ(op.paths(), before);
  EXPECT_EQ(op.random.state(), state);
}

TEST(Erase, DeletesExactlyTheListedFilesAndCountsTheOnesItCouldNot) {
  TempDir dir;
  dir.writeFile("a/one.DAT", "1");
  dir.writeFile("a/b/two.DAT", "2");
  dir.writeFile("a/b/locked.DAT", "3");
  dir.writeFile("a/b/unlisted.DAT", "4");
  dir.writeFile("three.DAT", "5");
  ASSERT_EQ(::chmod((dir / "a/b/locked.DAT").c_str(), 0444), 0);
  Operation op;
  op.disk.mapDrive('d', dir.path());
  op.setFiles({{"d:\\a\\one.DAT", "1"},
               {"d:\\a\\b\\missing.DAT", "1"},
               {"d:\\a\\b\\locked.DAT", "1"},
               {"d:\\a\\b\\two.DAT", "1"},
               {"d:\\three.DAT", "1"}});
  auto context = op.context(PathStyle::windows());

  const diskops::EraseResult result = diskops::erase(context);
  EXPECT_EQ(result.outcome, Outcome::Done);
  EXPECT_EQ(result.erased, 3);
  EXPECT_EQ(result.failed, 2);
  EXPECT_EQ(op.feedback.events,
            (std::vector<std::string>{"confirm: Erasing 5 files from the disk. Proceed now?",
                                      "status: Please wait, erasing files...", "status: Done."}));
  EXPECT_TRUE(op.lists.files1.empty());
  EXPECT_FALSE(stdfs::exists(dir / "a/one.DAT"));
  EXPECT_FALSE(stdfs::exists(dir / "a/b/two.DAT"));
  EXPECT_FALSE(stdfs::exists(dir / "three.DAT"));
  EXPECT_EQ(dir.readFile("a/b/locked.DAT"), "3");
  EXPECT_EQ(dir.readFile("a/b/unlisted.DAT"), "4");
  EXPECT_TRUE(stdfs::is_directory(dir / "a/b"));
}

TEST(Erase, ADeclinedQuestionChangesNothingAndAnEmptyListIsAsked) {
  TempDir dir;
  dir.writeFile("keep.DAT", "1");
  Operation op;
  op.setFiles({{dir / "keep.DAT", "1"}});
  op.feedback.answers = {false};
  auto context = op.context(PathStyle::posix());
  EXPECT_EQ(diskops::erase(context).outcome, Outcome::Declined);
  EXPECT_EQ(op.paths(), std::vector<std::string>{dir / "keep.DAT"});
  EXPECT_TRUE(stdfs::exists(dir / "keep.DAT"));

  op.setFiles({});
  op.feedback.events.clear();
  const diskops::EraseResult result = diskops::erase(context);
  EXPECT_EQ(result.outcome, Outcome::Done);
  EXPECT_EQ(result.erased + result.failed, 0);
  EXPECT_EQ(op.feedback.events,
            (std::vector<std::string>{"confirm: Erasing 0 files from the disk. Proceed now?",
                                      "status: Please wait, erasing files...", "status: Done."}));
}

TEST(Erase, KeepingRefusedEntriesLeavesOnlyFilesThatExistAndWereRefused) {
  TempDir dir;
  dir.writeFile("a/one.DAT", "1");
  dir.writeFile("a/locked.DAT", "2");
  ASSERT_EQ(::chmod((dir / "a/locked.DAT").c_str(), 0444), 0);
  Operation op;
  op.fields.setText(EditField::reprodpath, dir.path() + "/");
  op.setFiles({{dir / "a/one.DAT", "1"},
               {dir / "a/missing.DAT", "1"},
               {dir / "gone/missing.DAT", "1"},
               {dir / "a/locked.DAT", "1"}});
  auto context = op.context(PathStyle::posix());
  const diskops::EraseResult result = diskops::erase(context, diskops::EraseKeeps::Refused);
  EXPECT_EQ(result.erased, 1);
  EXPECT_EQ(result.failed, 3);
  EXPECT_EQ(result.missing, 2);
  EXPECT_EQ(op.paths(), (std::vector<std::string>{dir / "a/locked.DAT"}));
  EXPECT_EQ(op.lists.files1.subCell(0, kSizeCell), "1");
}

}  // namespace
}  // namespace brimwell
