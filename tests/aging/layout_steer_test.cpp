// The arithmetic that steers a batch to a layout score, and how many pieces the files of a
// batch are cut into to reach a profile's files by extent count: no volume needed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aging/extent_plan.h"
#include "aging/layout_steer.h"
#include "measure/file_layout.h"

namespace brimwell::aging {
namespace {

TEST(LayoutSteer, CutsWhatTheAimLeavesAndMakesUpForCutsThatDidNotBecomeBreaks) {
  // A quarter of the batch's joins are to be broken; nothing is known yet of the yield.
  LayoutSteer steer(0.75, {}, 10000);
  EXPECT_DOUBLE_EQ(steer.cutShare(), 0.25);
  EXPECT_DOUBLE_EQ(steer.cutsToCome(), 2500);

  // Half the batch planned with its share, and half of those cuts became breaks: the rest
  // must cut twice as often to reach the 1875 breaks still wanted.
  LayoutSteer halfYield(0.75, {}, 10000);
  halfYield.planned(5000, 1250);
  halfYield.measured({5000, 5000 - 625}, 1250, {});
  EXPECT_DOUBLE_EQ(halfYield.cutShare(), 0.75);

  // More breaks than cuts (the file system split files of its own): fewer cuts follow.
  LayoutSteer overYield(0.75, {}, 10000);
  overYield.planned(5000, 1250);
  overYield.measured({5000, 5000 - 1875}, 1250, {});
  EXPECT_NEAR(overYield.cutShare(), (2500.0 - 1875.0) / 1.5 / 5000, 1e-12);
}

TEST(LayoutSteer, CountsTheBreaksTheFileSystemMakesOfItsOwnInTheJoinsToCome) {
  // 10 % of the joins left whole are broken by the file system, in files cut or not; each
  // cut is a break. Of the 2500 breaks wanted, 1000 are made by the file system alone.
  LayoutSteer steer(0.75, {}, 20000);
  steer.planned(5000, 500);
  steer.measured({1000, 1000 - 500 - 50}, 500, {4000, 4000 - 400});
  EXPECT_NEAR(steer.cutShare(), (5000 - 950 - 15000 * 0.1) / 0.9 / 15000, 1e-9);

  // The volume fills: the first files written whole kept every join, the last lost 20 %.
  // The steer goes by the last more than by the batch's average (10 %), which would cut too
  // much, and cuts more than the last alone would ask for.
  LayoutSteer filling(0.8, {}, 40000);
  filling.planned(20000, 0);
  filling.measured({}, 0, {10000, 10000});
  filling.measured({}, 0, {10000, 8000});
  EXPECT_LT(filling.cutShare(), (8000 - 2000 - 20000 * 0.1) / 0.9 / 20000);
  EXPECT_GT(filling.cutShare(), (8000 - 2000 - 20000 * 0.2) / 0.8 / 20000);

  // The file system's own breaks take more than the aim leaves: nothing more is cut.
  LayoutSteer full(0.9, {}, 10000);
  full.planned(2000, 0);
  full.measured({}, 0, {2000, 2000 - 300});
  EXPECT_DOUBLE_EQ(full.cutShare(), 0.0);
}

TEST(LayoutSteer, CountsTheFilesOnDiskAndNeverAsksMoreThanEveryJoin) {
  // Files on disk all whole: the batch alone must bring the score down, all its joins cut.
  EXPECT_DOUBLE_EQ(LayoutSteer(0.5, {1000, 1000}, 1000).cutShare(), 1.0);
  EXPECT_DOUBLE_EQ(LayoutSteer(0.2, {1000, 1000}, 1000).cutShare(), 1.0);
  // Files on disk already broken enough: the batch stays whole.
  EXPECT_DOUBLE_EQ(LayoutSteer(0.5, {1000, 0}, 1000).cutShare(), 0.0);
  EXPECT_DOUBLE_EQ(lowestLayoutScore({1000, 1000}, 1000), 0.5);
  EXPECT_DOUBLE_EQ(LayoutJoins{}.score(), 1.0);
  EXPECT_EQ(fileJoins(0, 4096), 0);
  EXPECT_EQ(fileJoins(4096, 4096), 0);
  EXPECT_EQ(fileJoins(4097, 4096), 1);
}

// A list of files of the given numbers of 4096-byte blocks.
TextTable filesOfBlocks(const std::vector<int>& blocks) {
  TextTable list(2);
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const std::size_t row = list.addRow("/t/" + std::to_string(i));
    list.addSubCell(row, std::to_string(blocks[i] * 4096));
  }
  return list;
}

TEST(ExtentPlan, TheLargestFilesTakeTheHighestClassesAndEachItsLeastWhenThatIsAllWanted) {
  // One file in five with 9-16 extents and one with 3-4; the rest whole.
  const TextTable list = filesOfBlocks({5, 40, 1, 20, 10});
  ExtentClassShares shares{};
  shares[1] = 0.6;
  shares[3] = 0.2;
  shares[5] = 0.2;
  ExtentPlan plan(list, 4096, shares, {});
  // The cuts at the least of each class: 8 for the 40-block file, 2 for the 20-block one.
  const std::vector<std::int64_t> expected{0, 8, 0, 2, 0};
  double toCome = 10;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    const std::int64_t cuts = plan.cuts(row, toCome);
    EXPECT_EQ(cuts, expected[row]) << "row " << row;
    toCome -= static_cast<double>(cuts);
  }
  // Each lands in the class measure counts it in.
  EXPECT_EQ(measure::extentClass(8 + 1), 5u);
  EXPECT_EQ(measure::extentClass(2 + 1), 3u);
}

TEST(ExtentPlan, BeyondTheClassesTheScoreComesFirst) {
  const TextTable list = filesOfBlocks({5, 40, 1, 20, 10});
  ExtentClassShares shares{};
  shares[1] = 1.0;
  ExtentPlan plan(list, 4096, shares, {});
  // Every join wanted cut: every file is cut at every join, whatever its class.
  const std::vector<std::int64_t> joins{4, 39, 0, 19, 9};
  double toCome = 71;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    EXPECT_EQ(plan.cuts(row, toCome), joins[row]) << "row " << row;
    toCome -= static_cast<double>(joins[row]);
  }
}

}  // namespace
}  // namespace brimwell::aging
