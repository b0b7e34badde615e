// The figures behind measure, from extents given by hand: extent classes, the layout score,
// free-space median and histogram; the --probe size; the survey template's rows; and how the
// report prints figures near zero and the used share beside df's.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/cell_number.h"
#include "app/context.h"
#include "app/random_source.h"
#include "census/size_template.h"
#include "cli/aging_options.h"
#include "cli/measure_report.h"
#include "measure/file_layout.h"
#include "measure/fill_trim.h"

namespace brimwell::testing {
namespace {

using measure::FileLayoutTally;

TEST(MeasureFigures, ExtentClassesArePowersOfTwo) {
  const std::vector<std::pair<std::int64_t, std::size_t>> cases{
      {0, 0}, {1, 1},  {2, 2},  {3, 3},  {4, 3},  {5, 4},   {8, 4},
      {9, 5}, {16, 5}, {17, 6}, {32, 6}, {33, 7}, {1000, 7}};
  for (const auto& [extents, expected] : cases) {
    EXPECT_EQ(measure::extentClass(extents), expected) << extents;
  }
}

TEST(MeasureFigures, LayoutScoreCountsBlocksThatFollowTheirPredecessor) {
  FileLayoutTally tally(4096);
  tally.add({});                     // empty: no blocks
  tally.add({{0, 409600, 4096}});    // one block: not counted in the score
  tally.add({{0, 8192, 4 * 4096}});  // 4 blocks in one run: 3 of 3
  tally.add({{0, 0, 2 * 4096}, {8192, 81920, 3000}, {12288, 40960, 4096}});
  // 4 blocks in 3 runs: 1 of 3 follow (the partial block counts as a block)
  const auto& figures = tally.figures();
  EXPECT_EQ(figures.files, 4);
  EXPECT_EQ(figures.fragmented, 1);
  EXPECT_EQ(figures.extents, 5);
  EXPECT_EQ(figures.largestExtents, 3);
  EXPECT_EQ(figures.layoutBlocks, 6);
  EXPECT_EQ(figures.contiguousBlocks, 4);
  EXPECT_DOUBLE_EQ(figures.layoutScore, 4.0 / 6.0);
  EXPECT_EQ(figures.histogram[0], 1);
  EXPECT_EQ(figures.histogram[1], 2);
  EXPECT_EQ(figures.histogram[3], 1);
  EXPECT_DOUBLE_EQ(figures.fragmentedPercent(), 25.0);
}

TEST(MeasureFigures, FreeSpaceMedianLargestAndSizeClasses) {
  const auto none = measure::freeSpaceFigures({});
  EXPECT_TRUE(none.known);
  EXPECT_EQ(none.extents, 0);
  const auto figures = measure::freeSpaceFigures(
      {{0, 0, 8192}, {0, 90000, 4096}, {0, 200000, 1 << 20}, {0, 5000000, 12288}});
  EXPECT_EQ(figures.extents, 4);
  EXPECT_EQ(figures.freeBytes, 8192u + 4096u + (1u << 20) + 12288u);
  EXPECT_EQ(figures.largestBytes, 1u << 20);
  EXPECT_EQ(figures.medianBytes, 8192u);  // the lower of the two middle ones
  EXPECT_EQ(figures.histogram[12], 1);    // 4 KiB
  EXPECT_EQ(figures.histogram[13], 2);    // 8 KiB and 12 KiB
  EXPECT_EQ(figures.histogram[20], 1);    // 1 MiB
}

TEST(MeasureOptions, ProbeSizesTakeBinaryUnits) {
  EXPECT_EQ(cli::parseByteSize("4096"), 4096u);
  EXPECT_EQ(cli::parseByteSize("64M"), 64u << 20);
  EXPECT_EQ(cli::parseByteSize("64MiB"), 64u << 20);
  EXPECT_EQ(cli::parseByteSize("2g"), std::uint64_t{2} << 30);
  EXPECT_EQ(cli::parseByteSize("512KB"), 512u << 10);
  for (const char* bad : {"", "0", "-1", "M", "12X", "1.5M", "64 M", "99999999T"}) {
    EXPECT_FALSE(cli::parseByteSize(bad)) << bad;
  }
}

// 200 files of 1 to 40 blocks and two of 300 blocks, 4096-byte blocks, in two folders.
TextTable listOfFiles() {
  TextTable files1(2);
  for (int n = 0; n < 202; ++n) {
    const std::size_t row = files1.addRow((n % 2 == 0 ? "/t/a/" : "/t/b/") + std::to_string(n));
    const int blocks = n < 200 ? 1 + n % 40 : 300;
    files1.addSubCell(row, std::to_string(blocks * 4096 - 100));
  }
  return files1;
}

TEST(FillTrim, RemovesAtRandomUntilTheListFitsAndLandsAboveTheFloor) {
  TextTable files1 = listOfFiles();
  const std::uint64_t whole = measure::listFootprint(files1, 4096, 2);
  const std::uint64_t budget = whole / 2;
  const std::uint64_t tolerance = 40 * 4096;
  RandomSource random(7);
  const std::uint64_t left = measure::trimToBudget(files1, 4096, 2, budget, tolerance, random);
  EXPECT_LE(left, budget);
  EXPECT_GE(left, budget - tolerance);
  EXPECT_EQ(left, measure::listFootprint(files1, 4096, 2));
  // Removed from everywhere, not cut off the end, and the order kept.
  std::vector<int> kept;
  for (std::size_t row = 0; row < files1.rowCount(); ++row) {
    kept.push_back(std::stoi(std::string(files1.caption(row).substr(5))));
  }
  EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
  EXPECT_GT(kept.size(), 50u);
  EXPECT_LT(kept.size(), 202u);
  EXPECT_GT(kept.back(), 180);
  EXPECT_LT(kept.size(), static_cast<std::size_t>(kept.back()));
  // The same random state gives the same list.
  TextTable again = listOfFiles();
  RandomSource same(7);
  measure::trimToBudget(again, 4096, 2, budget, tolerance, same);
  ASSERT_EQ(again.rowCount(), files1.rowCount());
  for (std::size_t row = 0; row < again.rowCount(); ++row) {
    EXPECT_EQ(again.caption(row), files1.caption(row));
  }
}

TEST(FillTrim, ABudgetBelowTheLargestFilesStillFits) {
  TextTable files1 = listOfFiles();
  RandomSource random(1);
  const std::uint64_t budget = 200 * 4096;  // less than one of the two large files
  EXPECT_LE(measure::trimToBudget(files1, 4096, 2, budget, 4096, random), budget);
  // A list that already fits is left alone.
  TextTable whole = listOfFiles();
  EXPECT_EQ(measure::trimToBudget(whole, 4096, 2, ~std::uint64_t{0}, 0, random),
            measure::listFootprint(listOfFiles(), 4096, 2));
  EXPECT_EQ(whole.rowCount(), 202u);
}

TEST(FillTrim, MeanFootprintCountsWholeBlocks) {
  TextTable sizes(4);
  census::readTemplate("1\t10\r\n4097\t10\r\n", sizes);
  // Half the files are 0 bytes (no block), half 1 to 4096 bytes (one block).
  EXPECT_DOUBLE_EQ(measure::meanFileFootprint(sizes, 4096), 2048.0);
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every threshold but the last is the survey's largest size of the row plus one, so that
// the builder's half-open ranges hold exactly the survey's classes.
TEST(SurveyTemplate, ThresholdsAreTheSurveyClassesAsTheBuilderDrawsThem) {
  TextTable sizes(4);
  census::readTemplate(readText(BRIMWELL_SOURCE_DIR "/templates/unix-1993.fs"), sizes);
  ASSERT_EQ(sizes.rowCount(), 33u);
  std::int64_t total = 0;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    const std::int64_t threshold = parseInt64Cell(sizes.caption(row));
    const std::int64_t largest = row == 0 ? 0 : std::int64_t{1} << (row - 1);
    if (row + 1 < sizes.rowCount()) {
      EXPECT_EQ(threshold, largest + 1) << row;
    } else {
      EXPECT_EQ(threshold, 2147483647);
    }
    total += parseInt32Cell(sizes.subCell(row, kCountCell));
    EXPECT_NE(sizes.subCell(row, kDescriptionCell).find("Unix file size survey, Nov 1993"),
              std::string_view::npos);
  }
  EXPECT_EQ(total, 12128881);  // the survey's files
}

TEST(MeasureReport, NoNegativeZeroAndDfsShareBesideItsOwn) {
  measure::Measurement m;
  m.target = "mnt";
  m.fill = {.known = true,
            .why = {},
            .volumeBytes = 1000 * 4096,
            .usedBytes = 400 * 4096,
            .freeBytes = 600 * 4096,
            .availableBytes = 550 * 4096,
            .blockSize = 4096,
            .usedPercent = 40.0};
  m.fit.known = true;
  m.fit.rows = {{"512", 50.0, 1, 49.9999}, {"16777216", 50.0, 1, 50.0001}};
  m.fit.largestDifference = -0.0001;
  for (const std::string& text : {cli::measurementTable(m), cli::measurementJson(m)}) {
    EXPECT_EQ(text.find("-0.0"), std::string::npos) << text;
  }
  const std::string table = cli::measurementTable(m);
  // df: 400 used of 400 + 550, rounded up; the 50 reserved blocks are left out.
  EXPECT_NE(table.find("40.00 %\n                      df shows 43 %, leaving out the 204800 "
                       "bytes (200.0 KiB) reserved for root\n"),
            std::string::npos)
      << table;
  EXPECT_NE(table.find("largest difference  0.00 points"), std::string::npos) << table;
}

}  // namespace
}  // namespace brimwell::testing
