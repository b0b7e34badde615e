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
#include "cli/measure_report.h"
#include "cli/option_table.h"
#include "measure/file_layout.h"
#include "measure/layout_reader.h"
#include "measure/measure_picture.h"
#include "measure/measurement_json.h"
#include "support/scripted_volume.h"
#include "support/source_templates.h"
#include "support/temp_dir.h"

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
  EXPECT_EQ(figures.bytesByClass[13], 8192u + 12288u);
  EXPECT_EQ(figures.bytesByClass[20], 1u << 20);
}

// One large extent of four holds 98 % of the free bytes: its bytes bar is the tallest, not
// its count bar; the heading names the state.
TEST(MeasurePicture, DrawsFreeSpaceByCountAndBytesAndNamesTheState) {
  measure::Measurement m;
  m.target = "/mnt/aged";
  m.fill.known = true;
  m.fill.usedPercent = 80.0;
  m.fill.fileSystem = "ext4";
  m.fit.known = true;
  m.fit.rows = {{"1", 10.0, 1, 10.0}, {"512", 90.0, 9, 90.0}};
  m.files.known = true;
  m.files.files = 4;
  m.files.fragmented = 1;
  m.files.layoutScore = 0.9;
  m.freeSpace = measure::freeSpaceFigures(
      {{0, 0, 8192}, {0, 90000, 4096}, {0, 200000, 1 << 20}, {0, 5000000, 12288}});
  m.probe.requested = m.probe.known = true;
  m.probe.bytes = 16 << 20;
  m.probe.extents = 3;
  const std::string svg = measure::measurementPicture(m);
  for (const char* shown :
       {"Measured /mnt/aged", "file system ext4, 80.00 % used",
        "layout score 0.9000, 25.00 % of 4 files fragmented",
        "probe: a new file of 16 MiB took 3 extents", ">empty files<", ">512<", "share of files, %",
        "file size in bytes", "share of free space, %", "free extent size", "share of free extents",
        "share of free bytes", "height=\"240.0\" fill=\"#339966\"",
        "height=\"61.4\" fill=\"#cc6633\""}) {
    EXPECT_NE(svg.find(shown), std::string::npos) << shown << "\n" << svg;
  }
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

// Every threshold but the last is the survey's largest size of the row plus one, so that
// the builder's half-open ranges hold exactly the survey's classes.
TEST(SurveyTemplate, ThresholdsAreTheSurveyClassesAsTheBuilderDrawsThem) {
  TextTable sizes(4);
  census::readTemplate(readWholeFile(sourceTemplate("unix-1993")), sizes);
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
  for (const std::string& text : {cli::measurementTable(m), measure::measurementJson(m)}) {
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

// A file that cannot be read is named with the reader's reason; a file system that stops
// telling where files lie keeps its first reason and leaves the figures unknown, while the size
// it read still reaches the caller.
TEST(MeasureFigures, TheLayoutReaderKeepsUnreadFilesAndTheReasonTheFileSystemDeclined) {
  ScriptedVolume volume(64 << 20, 4096);
  volume.grown("/v/a", 10000);
  measure::LayoutReader reader(volume, 4096);
  const Expected<FileMap> mapped = reader.add("/v/a");
  ASSERT_TRUE(mapped);
  EXPECT_EQ(mapped->place, FilePlace::Mapped);
  EXPECT_EQ(mapped->size, 10000u);
  EXPECT_FALSE(reader.add("/v/gone"));
  ASSERT_EQ(reader.unread().named().size(), 1u);
  EXPECT_EQ(reader.unread().named()[0].reason, "not on the scripted volume");
  EXPECT_TRUE(reader.figures().known);

  volume.extentsRefusal = "the file system does not report file extents";
  const Expected<FileMap> declined = reader.add("/v/a");
  ASSERT_TRUE(declined);
  EXPECT_EQ(declined->place, FilePlace::NotReported);
  EXPECT_EQ(declined->size, 10000u);
  volume.extentsRefusal = "another reason";
  (void)reader.add("/v/a");
  EXPECT_FALSE(reader.figures().known);
  EXPECT_EQ(reader.figures().why, "the file system does not report file extents");
}

}  // namespace
}  // namespace brimwell::testing
