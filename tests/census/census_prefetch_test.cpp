// The classifying walk read ahead on a pool of threads: the census gives exactly what a
// walk that lists every folder again gives, a changed location is walked afresh, and a
// census that stops early leaves no thread behind. (The walk itself: tests/walk.)
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "app/failure.h"
#include "census/census.h"
#include "census_fixture.h"
#include "support/thread_count.h"
#include "support/walk_tree.h"

namespace brimwell::census {
namespace {

using testing::CensusFixture;

const std::string kAnalyzing = "Analyzing the location...";

// The real file system, listing on one thread or allowing a second, and counting the
// listings made on a thread other than the one that made it.
class WatchedFileSystem : public PosixFileSystem {
 public:
  explicit WatchedFileSystem(bool concurrent)
      : concurrent_(concurrent), owner_(std::this_thread::get_id()) {}

  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes,
                                            int& error) override {
    if (std::this_thread::get_id() != owner_) ++helperListings;
    return PosixFileSystem::listFolder(path, withSizes, error);
  }
  bool allowsConcurrentListing() const override { return concurrent_; }

  std::atomic<int> helperListings = 0;

 private:
  const bool concurrent_;
  const std::thread::id owner_;
};

// Gives `before` as the location until the classifying walk has begun, then `after`.
class MovingLocation : public FieldReader {
 public:
  MovingLocation(const testing::RecordingFeedback& feedback, std::string before, std::string after)
      : feedback_(feedback), before_(std::move(before)), after_(std::move(after)) {}
  std::int32_t value(SpinField field) override { return FieldValues().value(field); }
  std::string text(EditField field) override {
    if (field != EditField::scanpath) return FieldValues().text(field);
    return feedback_.status == kAnalyzing ? after_ : before_;
  }

 private:
  const testing::RecordingFeedback& feedback_;
  std::string before_;
  std::string after_;
};

using testing::threadCount;
using testing::threadCountSettledAt;

// What one census showed and left in the template.
struct Observed {
  Outcome outcome = Outcome::Done;
  std::string failure;
  std::vector<std::string> events;  // statuses, notices, progress values and pumps, in order
  int pumps = 0;
  std::vector<std::string> counts;
  std::vector<std::string> percents;
  int helperListings = 0;

  bool operator==(const Observed&) const = default;
};

// One tree for every test (WalkTree): nested folders of thousands of files (more than a few
// chunks of records), hidden files and a hidden folder, empty folders, a link to a folder,
// and beside it a chain of folders 70 deep.
class CensusPrefetch : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = new testing::TempDir;
    testing::WalkTree shape;
    shape.outerFiles = 3000;
    shape.innerFiles = 2500;
    shape.hiddenSubfolders = 0;
    shape.hiddenFiles = 3500;
    shape.deep = "deep";
    shape.writeInto(*tree_);
  }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }

  static std::string tree(const std::string& relative) { return *tree_ / relative; }

  // A census of `location` with thresholds 100, 400 and `third`, listing on one thread
  // or reading ahead on a second.
  static Observed census(bool concurrent, const std::string& location,
                         const std::string& third = "1000") {
    WatchedFileSystem files(concurrent);
    CensusFixture f(&files);
    f.setRows({{"100", "7"}, {"400", "8"}, {third, "9"}});
    f.fields.setText(EditField::scanpath, location);
    f.feedback.recordProgress = true;
    Observed seen;
    try {
      seen.outcome = analyse(f.context);
    } catch (const Failure& failure) {
      seen.failure = failure.what();
    }
    seen.events = f.feedback.events;
    seen.pumps = f.feedback.pumps;
    seen.counts = f.column(kCountCell);
    seen.percents = f.column(kPercentCell);
    seen.helperListings = files.helperListings;
    return seen;
  }

  static testing::TempDir* tree_;
};

testing::TempDir* CensusPrefetch::tree_ = nullptr;

TEST_F(CensusPrefetch, GivesWhatAWalkThatListsAgainGives) {
  Observed listedAgain = census(false, tree("t"));
  Observed readAhead = census(true, tree("t"));
  // Every folder but the link's target through the link: t, a, b, b/empty, empty, d,
  // .hidden-folder.
  EXPECT_EQ(listedAgain.helperListings, 0);
  EXPECT_EQ(readAhead.helperListings, 7);
  readAhead.helperListings = 0;
  EXPECT_EQ(readAhead, listedAgain);
  EXPECT_EQ(readAhead.outcome, Outcome::Done);
  // 9,001 files; the link and 6 folders; each listed folder's "." and ".." and the 6
  // folder entries pumped, twice.
  EXPECT_EQ(readAhead.pumps, 2 * (9002 + 7 * 2 + 6));
  EXPECT_EQ(readAhead.events.back(), "progress: 0");

  Observed deepListedAgain = census(false, tree("deep"));
  Observed deepReadAhead = census(true, tree("deep"));
  deepReadAhead.helperListings = deepListedAgain.helperListings = 0;
  EXPECT_EQ(deepReadAhead, deepListedAgain);
  EXPECT_EQ(deepReadAhead.outcome, Outcome::Done);
}

TEST_F(CensusPrefetch, ALocationChangedDuringTheCountingWalkIsWalkedAfresh) {
  const auto observe = [&](bool concurrent) {
    Observed seen;
    WatchedFileSystem files(concurrent);
    CensusFixture f(&files);
    MovingLocation location(f.feedback, tree("t"), tree("t/a/b"));
    f.setRows({{"100", "7"}, {"400", "8"}, {"1000", "9"}});
    f.feedback.recordProgress = true;
    Context context{f.lists,  location,     f.feedback,         files,
                    f.random, *f.collation, PathStyle::posix(), "."};
    seen.outcome = analyse(context);
    seen.events = f.feedback.events;
    seen.pumps = f.feedback.pumps;
    seen.counts = f.column(kCountCell);
    return seen;
  };
  const Observed listedAgain = observe(false);
  const Observed readAhead = observe(true);
  EXPECT_EQ(readAhead, listedAgain);
  // The counts are those of t/a/b alone (2,500 files), the summary's file count the
  // counting walk's of t.
  EXPECT_EQ(readAhead.counts, (std::vector<std::string>{"303", "900", "1297"}));
  const std::string& summary = readAhead.events.end()[-2];  // before "progress: 0"
  // The link to a folder counts as a folder, not as a file.
  EXPECT_EQ(summary.rfind("status: Total files: 9001, total folders: 7,", 0), 0u) << summary;
}

TEST_F(CensusPrefetch, NoFilesToProcessStopsTheHelper) {
  const std::size_t threadsBefore = threadCount();
  for (const std::string& location : {tree("t/empty"), tree("t/a/b/empty"), tree("missing")}) {
    const Observed listedAgain = census(false, location);
    Observed readAhead = census(true, location);
    readAhead.helperListings = 0;
    EXPECT_EQ(readAhead, listedAgain) << location;
    EXPECT_EQ(readAhead.outcome, Outcome::Stopped);
    EXPECT_EQ(readAhead.events.back(), "notice: No files to process.");
    EXPECT_EQ(threadCountSettledAt(threadsBefore), threadsBefore);
  }
}

TEST_F(CensusPrefetch, ABadThresholdMidwayLeavesTheSameCountsAndNoThreadBehind) {
  const std::size_t threadsBefore = threadCount();
  const Observed listedAgain = census(false, tree("t"), "lots");
  Observed readAhead = census(true, tree("t"), "lots");
  EXPECT_EQ(threadCountSettledAt(threadsBefore), threadsBefore);
  readAhead.helperListings = 0;
  EXPECT_EQ(readAhead, listedAgain);
  EXPECT_EQ(readAhead.failure, "'lots' is not a valid integer value");
  EXPECT_EQ(readAhead.percents, (std::vector<std::string>{"0", "0", "0"}));
}

}  // namespace
}  // namespace brimwell::census
