// The census on real trees in temporary folders: counts, percentages, summary, notices.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/failure.h"
#include "census/census.h"
#include "census/census_walk.h"
#include "census_fixture.h"
#include "platform/windows_errors.h"

namespace brimwell::census {
namespace {

using testing::CensusFixture;

const std::string kCounting = "Please wait, counting files - this may take several minutes...";
const std::string kAnalyzing = "Analyzing the location...";

// A template of thresholds 100, 200, 300 with made-up counts, and `path` to scan.
void prepare(CensusFixture& f, const std::string& path) {
  f.setRows({{"100", "7", "up to 100"}, {"200", "8"}, {"300", "9"}});
  f.fields.setText(EditField::scanpath, path);
}

TEST(Census, ClassifiesEveryFileAndReportsTheTotals) {
  CensusFixture f;
  f.dir.writeFile("tree/sub/a", std::string(100, 'a'));
  f.dir.writeFile("tree/sub/b", std::string(200, 'b'));
  f.dir.writeFile("tree/sub/c", std::string(300, 'c'));
  prepare(f, f.dir / "tree");
  EXPECT_EQ(analyse(f.context), Outcome::Done);
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"1", "1", "1"}));
  EXPECT_EQ(f.column(kPercentCell), (std::vector<std::string>{"33.33", "33.33", "33.33"}));
  EXPECT_EQ(f.column(kDescriptionCell), (std::vector<std::string>{"up to 100", "", ""}));
  EXPECT_EQ(f.feedback.texts("status"),
            (std::vector<std::string>{
                kCounting, kAnalyzing,
                "Total files: 3, total folders: 1, total size: 600, avg size: 200."}));
  EXPECT_TRUE(f.feedback.texts("notice").empty());
  EXPECT_EQ(f.feedback.progress, 0);
  EXPECT_FALSE(f.lists.sizes.inBatch());
}

TEST(Census, ThresholdBoundariesAndTheLastRow) {
  CensusFixture f;
  f.dir.writeFile("t/equal", std::string(100, 'x'));
  f.dir.writeFile("t/one-more", std::string(101, 'x'));
  f.dir.writeFile("t/larger-than-all", std::string(1000, 'x'));
  f.dir.writeFile("t/empty", "");
  f.dir.writeFile("t/.hidden", std::string(250, 'x'));
  prepare(f, f.dir / "t/");
  analyse(f.context);
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"2", "1", "2"}));
  EXPECT_EQ(f.column(kPercentCell), (std::vector<std::string>{"40.00", "20.00", "40.00"}));
  EXPECT_EQ(f.feedback.status,
            "Total files: 5, total folders: 0, total size: 1451, avg size: 290.");
}

TEST(Census, PumpsForEveryEntryAndMovesTheProgressBar) {
  CensusFixture f;
  for (int i = 0; i < 4; ++i) f.dir.writeFile("t/d/f" + std::to_string(i), "x");
  prepare(f, f.dir / "t");
  f.feedback.recordProgress = true;
  analyse(f.context);
  // Each walk meets ".", "..", "d" in the location and ".", "..", four files in "d".
  EXPECT_EQ(f.feedback.pumps, 2 * (3 + 6));
  std::vector<std::string> progress;
  for (const auto& event : f.feedback.events) {
    if (event.rfind("progress: ", 0) == 0) progress.push_back(event);
  }
  EXPECT_EQ(progress, (std::vector<std::string>{"progress: 25", "progress: 50", "progress: 75",
                                                "progress: 100", "progress: 0"}));
}

TEST(Census, ASecondCensusGivesTheSameCounts) {
  CensusFixture f;
  f.dir.writeFile("t/a", std::string(150, 'x'));
  f.dir.writeFile("t/b/c", std::string(50, 'x'));
  prepare(f, f.dir / "t");
  analyse(f.context);
  analyse(f.context);
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"1", "1", "0"}));
  EXPECT_EQ(f.feedback.status, "Total files: 2, total folders: 1, total size: 200, avg size: 100.");
}

TEST(Census, NothingToProcessLeavesTheTemplateAndTheCountingStatus) {
  CensusFixture f;
  std::filesystem::create_directories(f.dir / "empty/a/b");
  std::filesystem::create_directories(f.dir / "empty/c");
  f.dir.writeFile("a-file", "x");
  for (const std::string& location : {f.dir / "empty", f.dir / "missing", f.dir / "a-file"}) {
    prepare(f, location);
    f.feedback.events.clear();
    EXPECT_EQ(analyse(f.context), Outcome::Stopped);
    EXPECT_EQ(f.feedback.events,
              (std::vector<std::string>{"status: " + kCounting, "notice: No files to process."}));
    EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"7", "8", "9"}));
    EXPECT_EQ(f.column(kPercentCell), (std::vector<std::string>{"0", "0", "0"}));
  }
}

TEST(Census, AnEmptyTemplateOrPathStopsBeforeAnythingChanges) {
  CensusFixture f;
  f.fields.setText(EditField::scanpath, f.dir.path());
  f.feedback.setStatus("as it was");
  EXPECT_EQ(analyse(f.context), Outcome::Stopped);
  prepare(f, "");
  EXPECT_EQ(analyse(f.context), Outcome::Stopped);
  EXPECT_EQ(f.feedback.events, (std::vector<std::string>{
                                   "status: as it was", "notice: Load a file-size template first!",
                                   "notice: Enter file path to scan (or disk drive letter)"}));
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"7", "8", "9"}));
  EXPECT_EQ(f.feedback.pumps, 0);
}

TEST(Census, ABadThresholdFailsWhenAFileReachesItAndKeepsTheCountsSoFar) {
  CensusFixture f;
  // Three small files reach the first row only; the large one meets "lots".
  for (int i = 0; i < 3; ++i) f.dir.writeFile("t/small" + std::to_string(i), "x");
  f.dir.writeFile("t/large", std::string(500, 'x'));
  f.setRows({{"10", "5"}, {"lots", "5"}, {"1000", "5"}});
  f.fields.setText(EditField::scanpath, f.dir / "t");
  try {
    analyse(f.context);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.what(), "'lots' is not a valid integer value");
  }
  // Entries come in listing order: the small files listed before the large one stay counted.
  int smallBefore = 0;
  int listError = 0;
  auto listing = f.posix.listFolder(f.dir / "t", false, listError);
  for (DirEntry entry; listing->next(entry) && entry.name != "large";) {
    if (entry.name.rfind("small", 0) == 0) ++smallBefore;
  }
  EXPECT_EQ(f.column(kCountCell),
            (std::vector<std::string>{std::to_string(smallBefore), "0", "0"}));
  EXPECT_EQ(f.column(kPercentCell), (std::vector<std::string>{"0", "0", "0"}));
  EXPECT_EQ(f.feedback.status, kAnalyzing);
  EXPECT_FALSE(f.lists.sizes.inBatch());
}

TEST(Census, AThresholdTooLargeForThirtyTwoBitsFailsTheCensus) {
  CensusFixture f;
  f.dir.writeFile("t/a", std::string(20, 'x'));
  f.setRows({{"10", "0"}, {"4294967296", "0"}});
  f.fields.setText(EditField::scanpath, f.dir / "t");
  EXPECT_THROW(analyse(f.context), Failure);
  // A bad threshold that no file reaches does no harm.
  f.setRows({{"100", "0"}, {"lots", "0"}});
  analyse(f.context);
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"1", "0"}));
}

TEST(Census, LinksAreNotFollowedAndCountAsWindowsListsThem) {
  CensusFixture f;
  f.dir.writeFile("t/real/a", std::string(150, 'x'));
  std::filesystem::create_directory_symlink(f.dir / "t/real", f.dir / "t/link-to-folder");
  std::filesystem::create_directory_symlink(f.dir / "t", f.dir / "t/real/loop");
  std::filesystem::create_symlink(f.dir / "t/real/a", f.dir / "t/link-to-file");
  prepare(f, f.dir / "t");
  analyse(f.context);
  // "a" once and the link to it as an empty file; the two links to folders are folders
  // that are not entered.
  EXPECT_EQ(f.feedback.texts("notice"), std::vector<std::string>{});
  EXPECT_EQ(f.feedback.status, "Total files: 2, total folders: 3, total size: 150, avg size: 75.");
}

// Refuses the listing of any folder whose path holds `refused`.
class RefusingFileSystem : public PosixFileSystem {
 public:
  explicit RefusingFileSystem(std::string refused) : refused_(std::move(refused)) {}
  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes,
                                            int& error) override {
    if (path.find(refused_) == std::string::npos) {
      return PosixFileSystem::listFolder(path, withSizes, error);
    }
    error = winerr::kAccessDenied;
    return nullptr;
  }

 private:
  std::string refused_;
};

TEST(Census, AFolderThatCannotBeListedCountsAsEmptyAndTheStatusLineCountsIt) {
  RefusingFileSystem refusing("locked");
  CensusFixture f(&refusing);
  f.dir.writeFile("t/locked/hidden-away", std::string(50, 'x'));
  f.dir.writeFile("t/open/a", std::string(150, 'x'));
  f.dir.writeFile("t/b", std::string(250, 'x'));
  prepare(f, f.dir / "t");
  analyse(f.context);
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"0", "1", "1"}));
  EXPECT_EQ(f.feedback.status,
            "Total files: 2, total folders: 2, total size: 400, avg size: 200. 1 folder could not "
            "be read.");
}

TEST(Census, DriveLettersAndWindowsSeparators) {
  CensusFixture f;
  f.posix.mapDrive('d', f.dir / "drive");
  f.context.style = PathStyle::windows();
  f.dir.writeFile("drive/sub/a", std::string(100, 'x'));
  for (const char* location : {"d:", "d:\\", "D:\\sub", "d:\\sub\\"}) {
    prepare(f, location);
    EXPECT_EQ(analyse(f.context), Outcome::Done) << location;
    EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"1", "0", "0"})) << location;
  }
  prepare(f, "e:\\");
  EXPECT_EQ(analyse(f.context), Outcome::Stopped);
}

TEST(Census, ScanFolderCountsFoldersWithoutDotEntries) {
  CensusFixture f;
  f.dir.writeFile("t/x/y/z/file", "1");
  f.dir.writeFile("t/w/file", "1");
  Census census(f.context);
  census.ScanPass = 0;
  census.ScanFolder(f.dir / "t");
  EXPECT_EQ(census.TotalFolders, 4);
  EXPECT_EQ(census.TotalFiles, 2);
}

TEST(Census, DeepTreesAndOddNames) {
  CensusFixture f;
  std::string deep = "t";
  for (int level = 0; level < 250; ++level) deep += "/d";
  f.dir.writeFile(deep + "/file", std::string(150, 'x'));
  f.dir.writeFile("t/\xff\xfe-not-utf8", std::string(250, 'x'));
  prepare(f, f.dir / "t");
  analyse(f.context);
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"0", "1", "1"}));
  EXPECT_EQ(f.feedback.status,
            "Total files: 2, total folders: 250, total size: 400, avg size: 200.");
}

TEST(Census, AFolderOfThousandsOfEntries) {
  CensusFixture f;
  const std::string longName(100, 'n');
  for (int i = 0; i < 3000; ++i) f.dir.writeFile("t/" + longName + std::to_string(i), "x");
  prepare(f, f.dir / "t");
  analyse(f.context);
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"3000", "0", "0"}));
}

TEST(Census, FilesOfTwoGibibytesAndMoreCountWholeInTheLastRow) {
  CensusFixture f;
  f.dir.writeFile("t/small", "x");
  std::filesystem::resize_file(f.dir / "t/small", 1);
  f.dir.writeFile("t/huge", "");
  std::filesystem::resize_file(f.dir / "t/huge", 3ull << 30);  // sparse: takes no room
  f.setRows({{"100", "0"}, {"2147483647", "0"}, {"200", "0"}});
  f.fields.setText(EditField::scanpath, f.dir / "t");
  analyse(f.context);
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"1", "0", "1"}));
  EXPECT_EQ(f.feedback.status,
            "Total files: 2, total folders: 0, total size: 3221225473, avg size: 1610612736.");
}

// Lists on one thread only, so the classifying walk lists every folder again after the
// counting walk.
class OneThreadFileSystem : public PosixFileSystem {
 public:
  bool allowsConcurrentListing() const override { return false; }
};

// Adds files to the location once the counting walk is over.
class GrowingFeedback : public testing::RecordingFeedback {
 public:
  explicit GrowingFeedback(const testing::TempDir& dir) : dir_(dir) {}
  void setStatus(std::string_view text) override {
    RecordingFeedback::setStatus(text);
    if (text == kAnalyzing) {
      for (int i = 0; i < 3; ++i) dir_.writeFile("t/late" + std::to_string(i), "x");
    }
  }

 private:
  const testing::TempDir& dir_;
};

TEST(Census, FilesThatTurnUpLateAreClassifiedAndTheBarStopsAtOneHundred) {
  testing::TempDir dir;
  dir.writeFile("t/early", std::string(150, 'x'));
  GrowingFeedback feedback(dir);
  feedback.recordProgress = true;
  // Read ahead, the classifying walk may have listed "t" before the late files came.
  OneThreadFileSystem files;
  CensusFixture f;
  Context context{f.lists,  f.fields,     feedback,           files,
                  f.random, *f.collation, PathStyle::posix(), "."};
  prepare(f, dir / "t");
  analyse(context);
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"3", "1", "0"}));
  std::vector<std::string> progress;
  for (const auto& event : feedback.events) {
    if (event.rfind("progress: ", 0) == 0) progress.push_back(event);
  }
  EXPECT_EQ(progress, (std::vector<std::string>{"progress: 100", "progress: 0"}));
  // The summary counts the files of the counting walk and the sizes of all classified.
  EXPECT_EQ(feedback.status, "Total files: 1, total folders: 0, total size: 153, avg size: 153.");
}

// Rewrites the first threshold at the first pump of the classifying walk, or at the first
// once a file is counted in the last row, then also setting the first row's count to 7.
class EditingFeedback : public testing::RecordingFeedback {
 public:
  explicit EditingFeedback(TextTable& sizes, bool afterAFile = false)
      : sizes_(sizes), afterAFile_(afterAFile) {}
  void pump() override {
    RecordingFeedback::pump();
    if (status != kAnalyzing || edited_) return;
    if (afterAFile_ && sizes_.subCell(2, kCountCell) == "0") return;
    sizes_.setCaption(0, "1000");
    if (afterAFile_) sizes_.setSubCell(0, kCountCell, "7");
    edited_ = true;
  }

 private:
  TextTable& sizes_;
  bool afterAFile_;
  bool edited_ = false;
};

TEST(Census, AThresholdEditedDuringTheWalkCountsForTheFollowingFiles) {
  CensusFixture f;
  f.dir.writeFile("t/a", std::string(500, 'x'));
  EditingFeedback feedback(f.lists.sizes);
  Context context{f.lists,  f.fields,     feedback,           f.posix,
                  f.random, *f.collation, PathStyle::posix(), "."};
  prepare(f, f.dir / "t");
  analyse(context);
  EXPECT_EQ(f.thresholds(), (std::vector<std::string>{"1000", "200", "300"}));
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"1", "0", "0"}));

  // Edited after the census has counted a file: the next file goes by the new threshold,
  // and the edited count is counted on from.
  CensusFixture g;
  g.dir.writeFile("t/a", std::string(500, 'x'));
  g.dir.writeFile("t/b", std::string(500, 'x'));
  EditingFeedback later(g.lists.sizes, true);
  Context laterContext{g.lists,      g.fields,           later, g.posix, g.random,
                       *g.collation, PathStyle::posix(), "."};
  prepare(g, g.dir / "t");
  analyse(laterContext);
  EXPECT_EQ(g.column(kCountCell), (std::vector<std::string>{"8", "0", "1"}));
}

}  // namespace
}  // namespace brimwell::census
