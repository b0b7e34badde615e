// Aiming a list at a fill level: what listed files take in whole blocks, and trimming a
// built list at random to a budget.
#include "aging/fill_trim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "aging/list_figures.h"
#include "app/context.h"
#include "census/size_template.h"

namespace brimwell::testing {
namespace {

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
  const std::uint64_t whole = aging::listFootprint(files1, {4096}, 2);
  const std::uint64_t budget = whole / 2;
  const std::uint64_t tolerance = 40 * 4096;
  RandomSource random(7);
  const std::uint64_t left = aging::trimToBudget(files1, {4096}, 2, budget, tolerance, random);
  EXPECT_LE(left, budget);
  EXPECT_GE(left, budget - tolerance);
  EXPECT_EQ(left, aging::listFootprint(files1, {4096}, 2));
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
  aging::trimToBudget(again, {4096}, 2, budget, tolerance, same);
  ASSERT_EQ(again.rowCount(), files1.rowCount());
  for (std::size_t row = 0; row < again.rowCount(); ++row) {
    EXPECT_EQ(again.caption(row), files1.caption(row));
  }
}

TEST(FillTrim, ABudgetBelowTheLargestFilesStillFits) {
  TextTable files1 = listOfFiles();
  RandomSource random(1);
  const std::uint64_t budget = 200 * 4096;  // less than one of the two large files
  EXPECT_LE(aging::trimToBudget(files1, {4096}, 2, budget, 4096, random), budget);
  // A list that already fits is left alone.
  TextTable whole = listOfFiles();
  EXPECT_EQ(aging::trimToBudget(whole, {4096}, 2, ~std::uint64_t{0}, 0, random),
            aging::listFootprint(listOfFiles(), {4096}, 2));
  EXPECT_EQ(whole.rowCount(), 202u);
}

TEST(FillTrim, MeanFootprintCountsWholeBlocks) {
  TextTable sizes(4);
  census::readTemplate("1\t10\r\n4097\t10\r\n", sizes);
  // Half the files are 0 bytes (no block), half 1 to 4096 bytes (one block).
  EXPECT_DOUBLE_EQ(aging::meanFileFootprint(sizes, 4096), 2048.0);
}

TEST(FillTrim, PlansAndFiguresCountEachSizeAsTheWriterWritesIt) {
  // The writer reads a size cell by the 32-bit rule and writes nothing for a negative one:
  // a plan and the list's figures count the same, so what is planned is what is written.
  TextTable files1(2);
  for (const char* size : {"5000", "-5", "3000000000", "x", "$10"}) {
    files1.addSubCell(files1.addRow(std::string("/t/a/") + size), size);
  }
  // Each entry also takes its name in the folder: 12 bytes, 20 for the long one.
  EXPECT_EQ(aging::listFootprint(files1, {4096}, 0), 8192u + 4096 + 12 + 12 + 20 + 12 + 12);
  EXPECT_EQ(static_cast<std::int64_t>(aging::measureFileList(files1, "/t/").bytes), 5000 + 16);
}

TEST(FillTrim, OnNtfsEachEntryTakesItsRecordAndSmallFilesStayInIt) {
  // As ntfs-3g keeps them: up to 664 bytes with a one-letter name, 624 with a 20-letter one.
  const aging::EntrySpace ntfs{4096, 1024};
  const auto footprint = [&](const std::string& name, int size) {
    TextTable files1(2);
    files1.addSubCell(files1.addRow("/t/" + name), std::to_string(size));
    return aging::listFootprint(files1, ntfs, 0);
  };
  const std::string longName(20, 'n');
  EXPECT_EQ(footprint("n", 664), footprint("n", 0));
  EXPECT_EQ(footprint("n", 672), footprint("n", 0) + 4096);
  EXPECT_EQ(footprint(longName, 624), footprint(longName, 0));
  EXPECT_EQ(footprint(longName, 632), footprint(longName, 0) + 4096);
  EXPECT_GT(footprint("n", 0), 1024u);
  EXPECT_GT(aging::listFootprint(TextTable(2), ntfs, 1), 1024u);
}

TEST(FillTrim, OnXfsEachEntryTakesAnInodeAndAFolderOfFewEntriesNoBlock) {
  TextTable files1(2);
  files1.addSubCell(files1.addRow("/t/a/f"), "5000");
  // The file's two blocks and its name, and an inode for it and each of its two folders.
  EXPECT_EQ(aging::listFootprint(files1, {4096, 0, 0, 512}, 2), 8192u + 12 + 3 * 512 + 2 * 16);
}

TEST(FillTrim, OnBtrfsEachEntryTakesItsItemsInEveryCopyAndSmallFilesStayAmongThem) {
  // Default Btrfs: metadata in two copies, data of up to 2 KiB kept inline.
  const aging::EntrySpace btrfs{4096, 0, 2};
  TextTable files1(2);
  for (const int size : {0, 2048, 2049, 8192}) {
    files1.addSubCell(files1.addRow("/t/f" + std::to_string(size)), std::to_string(size));
  }
  const std::uint64_t metadata = aging::listMetadata(files1, btrfs, 1);
  EXPECT_EQ(aging::listFootprint(files1, btrfs, 1), 2 * metadata + 4096 + 8192);
  EXPECT_GT(metadata, 2048u + 4 * 385);  // every entry's items, the inline data among them
  EXPECT_EQ(aging::listMetadata(files1, {4096}, 1), 0u);

  // The room data keeps beside the groups those items need: none taken while they stay below
  // three quarters of the groups, a tenth of the device (in both copies) when they would not;
  // a twentieth of the device is always kept back.
  VolumeSpace space;
  space.totalBytes = 1000ull << 20;
  space.availableBytes = 800ull << 20;
  space.blockSize = 4096;
  EXPECT_FALSE(aging::dataRoomBeside(space, 0));
  space.metadataGroups = {2, 32ull << 20, 8ull << 20, 4ull << 20};
  EXPECT_EQ(aging::dataRoomBeside(space, 12ull << 20), 750ull << 20);
  EXPECT_EQ(aging::dataRoomBeside(space, 13ull << 20), 550ull << 20);
  EXPECT_EQ(aging::dataRoomBeside(space, 500ull << 20), 0u);
}

}  // namespace
}  // namespace brimwell::testing
