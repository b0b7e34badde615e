// Runs the census, the writer and the erase through every failure point of a small
// scenario: each request of each kind is refused in turn, and after each run the test checks
// what the user was told, what the lists hold, that the files written before the failure
// are whole and right to the byte, and that nothing outside the target was touched.
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <set>

#include "app/context.h"
#include "app/failure.h"
#include "census/census.h"
#include "census/size_template.h"
#include "diskops/fragmentation.h"
#include "diskops/writer.h"
#include "platform/posix_file_system.h"
#include "platform/windows_errors.h"
#include "support/fault_injecting_file_system.h"
#include "support/recording_feedback.h"
#include "support/temp_dir.h"

namespace brimwell {
namespace {

namespace fs = std::filesystem;
using testing::FaultInjectingFileSystem;
using Op = FaultInjectingFileSystem::Op;

constexpr std::uint32_t kSeed = 20261207;

struct ScenarioFile {
  const char* path;  // under d:
  std::int32_t size;
};

// Three folders, one nested two deep, sizes around the block edges.
const ScenarioFile kFiles[] = {
    {"d:\\alpha\\a1.DAT", 0}, {"d:\\alpha\\a2.DAT", 2048}, {"d:\\alpha\\deep\\er\\d1.DAT", 5000},
    {"d:\\beta\\b1.DAT", 1},  {"d:\\beta\\b2.DAT", 4097},  {"d:\\gamma\\g1.DAT", 2049},
};

// The bytes each file must hold, worked out from the generator's formula: every block,
// also a short last one and the empty file's one, takes 2048 fresh draws.
std::vector<std::string> expectedContents() {
  std::uint32_t state = kSeed;
  std::vector<std::string> contents;
  for (const auto& file : kFiles) {
    std::string bytes;
    std::int32_t left = file.size;
    do {
      const std::int32_t block = std::min(left, 2048);
      for (int i = 0; i < 2048; ++i) {
        state = state * 134775813u + 1u;
        if (i < block) bytes += static_cast<char>(state >> 24);
      }
      left -= block;
    } while (left > 0);
    contents.push_back(bytes);
  }
  return contents;
}

class Scenario {
 public:
  Scenario() : faults(real) {
    fs::create_directory(root / "target");
    root.writeFile("outside.txt", "untouched");
    real.mapDrive('d', root / "target");
    for (const auto& file : kFiles) {
      const auto row = lists.files1.addRow(file.path);
      lists.files1.addSubCell(row, std::to_string(file.size));
    }
    random.setState(kSeed);
  }

  Context context() {
    return Context{lists, fields, feedback, faults, random, *collation, PathStyle::windows(), "."};
  }

  std::string nativeOf(const char* path) const {
    std::string native;
    int error = 0;
    real.toNative(path, native, error);
    return native;
  }

  // The files of the scenario as they are on disk ("" for a missing one).
  std::optional<std::string> contentOf(std::size_t index) const {
    const std::string native = nativeOf(kFiles[index].path);
    if (!fs::exists(native)) return std::nullopt;
    return root.readFile(fs::relative(native, root.path()).string());
  }

  void expectNothingOutsideTheTarget() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(root.path())) {
      names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"outside.txt", "target"}));
    EXPECT_EQ(root.readFile("outside.txt"), "untouched");
  }

  testing::TempDir root;
  PosixFileSystem real;
  FaultInjectingFileSystem faults;
  Workspace lists;
  FieldValues fields;
  testing::RecordingFeedback feedback;
  RandomSource random;
  std::unique_ptr<Collation> collation = userCollation();
};

int cleanRunCalls(Op op) {
  Scenario clean;
  auto context = clean.context();
  EXPECT_EQ(diskops::reproduce(context), Outcome::Done);
  const auto expected = expectedContents();
  for (std::size_t i = 0; i < std::size(kFiles); ++i) EXPECT_EQ(clean.contentOf(i), expected[i]);
  return clean.faults.calls(op);
}

TEST(FaultSweep, WriterRefusedCreation) {
  const int creates = cleanRunCalls(Op::Create);
  ASSERT_EQ(creates, static_cast<int>(std::size(kFiles)));
  const auto expected = expectedContents();
  for (int n = 1; n <= creates; ++n) {
    SCOPED_TRACE("create " + std::to_string(n));
    Scenario run;
    run.faults.failNth(Op::Create, n, winerr::kAccessDenied);
    auto context = run.context();
    try {
      diskops::reproduce(context);
      ADD_FAILURE() << "no failure";
    } catch (const IoFailure& failure) {
      EXPECT_STREQ(failure.what(), "File access denied");
    }
    EXPECT_EQ(run.feedback.status, "Reproducing folder structure...");
    EXPECT_EQ(run.lists.files1.rowCount(), std::size(kFiles));
    for (int i = 0; i < n - 1; ++i)
      EXPECT_EQ(run.contentOf(static_cast<std::size_t>(i)), expected[i]);
    for (std::size_t i = static_cast<std::size_t>(n) - 1; i < std::size(kFiles); ++i) {
      EXPECT_FALSE(run.contentOf(i).has_value());
    }
    run.expectNothingOutsideTheTarget();
  }
}

TEST(FaultSweep, WriterFullDriveAtEveryWrite) {
  const int writes = cleanRunCalls(Op::Write);
  ASSERT_EQ(writes, 1 + 1 + 3 + 1 + 3 + 2);
  const auto expected = expectedContents();
  for (int n = 1; n <= writes; ++n) {
    SCOPED_TRACE("write " + std::to_string(n));
    Scenario run;
    run.faults.failNth(Op::Write, n, winerr::kDiskFull);
    auto context = run.context();
    EXPECT_EQ(diskops::reproduce(context), Outcome::Failed);
    EXPECT_EQ(
        run.feedback.texts("notice"),
        std::vector<std::string>{"Write error, possibly not enough space. Operation canceled."});
    EXPECT_EQ(run.feedback.status, "Error.");
    EXPECT_EQ(run.feedback.progress, 0);
    // Files before the one that failed are whole; the failing one holds its earlier blocks.
    int writesBefore = 0;
    for (std::size_t i = 0; i < std::size(kFiles); ++i) {
      const int blocks = std::max(1, (kFiles[i].size + 2047) / 2048);
      const auto content = run.contentOf(i);
      if (writesBefore + blocks < n) {
        EXPECT_EQ(content, expected[i]);
      } else if (writesBefore < n) {
        ASSERT_TRUE(content.has_value());
        EXPECT_EQ(*content,
                  expected[i].substr(0, static_cast<std::size_t>(n - 1 - writesBefore) * 2048));
      } else {
        EXPECT_FALSE(content.has_value());
      }
      writesBefore += blocks;
    }
    run.expectNothingOutsideTheTarget();
  }
}

TEST(FaultSweep, WriterShortWriteEndsOnlyThatFile) {
  const int writes = cleanRunCalls(Op::Write);
  const auto expected = expectedContents();
  for (int n = 1; n <= writes; ++n) {
    SCOPED_TRACE("short write " + std::to_string(n));
    Scenario run;
    run.faults.shortenNthWrite(n, 100);
    auto context = run.context();
    EXPECT_EQ(diskops::reproduce(context), Outcome::Done);
    EXPECT_EQ(run.feedback.status, "Done.");
    int writesBefore = 0;
    for (std::size_t i = 0; i < std::size(kFiles); ++i) {
      const int blocks = std::max(1, (kFiles[i].size + 2047) / 2048);
      const auto content = run.contentOf(i);
      ASSERT_TRUE(content.has_value());
      if (n > writesBefore && n <= writesBefore + blocks) {
        const auto block = static_cast<std::size_t>(n - 1 - writesBefore);
        const std::size_t kept =
            block * 2048 + std::min<std::size_t>(100, expected[i].size() - block * 2048);
        EXPECT_EQ(*content, expected[i].substr(0, kept));
      } else if (n > writesBefore + blocks) {
        EXPECT_EQ(*content, expected[i]);
      } else {
        // After the short file the generator is behind by the draws that file skipped.
        EXPECT_EQ(content->size(), static_cast<std::size_t>(kFiles[i].size));
      }
      writesBefore += blocks;
    }
    run.expectNothingOutsideTheTarget();
  }
}

TEST(FaultSweep, WriterRefusedFolder) {
  const int folders = cleanRunCalls(Op::CreateFolder);
  ASSERT_EQ(folders, 5);  // alpha, deep, er, beta, gamma
  for (int n = 1; n <= folders; ++n) {
    SCOPED_TRACE("folder " + std::to_string(n));
    Scenario run;
    run.faults.failNth(Op::CreateFolder, n, winerr::kAccessDenied);
    auto context = run.context();
    try {
      diskops::reproduce(context);
      ADD_FAILURE() << "no failure";
    } catch (const IoFailure& failure) {
      // The folder was not made, so its file cannot be created.
      EXPECT_STREQ(failure.what(), "Invalid filename");
    }
    EXPECT_EQ(run.feedback.status, "Reproducing folder structure...");
    run.expectNothingOutsideTheTarget();
  }
}

TEST(FaultSweep, EraseRefusedDeletionIsCountedAndPassedOver) {
  const int deletes = static_cast<int>(std::size(kFiles));
  for (int n = 1; n <= deletes; ++n) {
    SCOPED_TRACE("delete " + std::to_string(n));
    Scenario run;
    auto context = run.context();
    ASSERT_EQ(diskops::reproduce(context), Outcome::Done);
    run.faults.failNth(Op::Delete, n, winerr::kSharingViolation);
    const auto result = diskops::erase(context);
    EXPECT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(result.erased, deletes - 1);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(run.feedback.status, "Done.");
    EXPECT_TRUE(run.lists.files1.empty());
    for (int i = 0; i < deletes; ++i) {
      EXPECT_EQ(run.contentOf(static_cast<std::size_t>(i)).has_value(), i == n - 1);
    }
    EXPECT_TRUE(fs::is_directory(run.nativeOf("d:\\alpha\\deep\\er")));
    run.expectNothingOutsideTheTarget();
  }
}

// Passes every request on, and keeps the path of every listing asked for, in order.
class ListingRecorder : public testing::ForwardingFileSystem {
 public:
  using testing::ForwardingFileSystem::ForwardingFileSystem;
  std::vector<std::string> listed;

  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes,
                                            int& error) override {
    listed.push_back(path);
    return real().listFolder(path, withSizes, error);
  }
};

// What a census of d:\ reports when the folder `unlisted` (a path ending in "\") reads as
// empty in the counting walk (`inCountingWalk`) or in the classifying walk: the files and
// folders below it are missing from that walk only.
struct CensusFigures {
  std::int64_t files = 0, folders = 0, size = 0;
  std::vector<std::string> counts{"0", "0", "0"};
};

CensusFigures expectedCensus(const std::string& unlisted, bool inCountingWalk) {
  const auto below = [&](const std::string& path) {
    return path.size() > unlisted.size() && path.compare(0, unlisted.size(), unlisted) == 0;
  };
  CensusFigures figures;
  std::set<std::string> folders;
  std::int64_t rows[3] = {};
  for (const auto& file : kFiles) {
    const std::string path = file.path;
    for (std::size_t at = path.find('\\', 3); at != std::string::npos;
         at = path.find('\\', at + 1)) {
      const std::string folder = path.substr(0, at + 1);
      if (!(inCountingWalk && below(folder))) folders.insert(folder);
    }
    const bool missing = below(path);
    if (!(inCountingWalk && missing)) ++figures.files;
    if (!inCountingWalk && missing) continue;
    figures.size += file.size;
    ++rows[file.size <= 1000 ? 0 : file.size <= 3000 ? 1 : 2];
  }
  figures.folders = static_cast<std::int64_t>(folders.size());
  for (int row = 0; row < 3; ++row) figures.counts[row] = std::to_string(rows[row]);
  return figures;
}

TEST(FaultSweep, CensusTreatsAnUnlistableFolderAsEmpty) {
  Scenario clean;
  auto cleanContext = clean.context();
  ASSERT_EQ(diskops::reproduce(cleanContext), Outcome::Done);
  census::readTemplate("1000\t0\r\n3000\t0\r\n9000\t0\r\n", clean.lists.sizes);
  clean.fields.setText(EditField::scanpath, "d:\\");
  ASSERT_EQ(census::analyse(cleanContext), Outcome::Done);
  EXPECT_EQ(clean.feedback.status,
            "Total files: 6, total folders: 5, total size: 13195, avg size: 2199.");
  const int listings = clean.faults.calls(Op::List);
  ASSERT_EQ(listings, 12);  // six folders, two walks

  for (int n = 1; n <= listings; ++n) {
    SCOPED_TRACE("listing " + std::to_string(n));
    Scenario run;
    auto context = run.context();
    ASSERT_EQ(diskops::reproduce(context), Outcome::Done);
    census::readTemplate("1000\t0\r\n3000\t0\r\n9000\t0\r\n", run.lists.sizes);
    run.fields.setText(EditField::scanpath, "d:\\");
    run.faults.failNth(Op::List, n, winerr::kAccessDenied);
    ListingRecorder recorder(run.faults);
    Context recorded{run.lists,  run.fields,     run.feedback,         recorder,
                     run.random, *run.collation, PathStyle::windows(), "."};
    const Outcome outcome = census::analyse(recorded);
    if (n == 1) {
      // The location itself cannot be read: there is nothing to count.
      EXPECT_EQ(outcome, Outcome::Stopped);
      EXPECT_EQ(run.feedback.texts("notice"), std::vector<std::string>{"No files to process."});
      continue;
    }
    ASSERT_EQ(outcome, Outcome::Done);
    ASSERT_GE(recorder.listed.size(), static_cast<std::size_t>(n));
    // The folder refused, and everything below it, is missing from that walk alone.
    const std::string unlisted = recorder.listed[static_cast<std::size_t>(n - 1)];
    const CensusFigures expected = expectedCensus(unlisted, n <= listings / 2);
    EXPECT_EQ(run.feedback.status,
              "Total files: " + std::to_string(expected.files) +
                  ", total folders: " + std::to_string(expected.folders) +
                  ", total size: " + std::to_string(expected.size) + ", avg size: " +
                  std::to_string(expected.size / expected.files) + ". 1 folder could not be read.")
        << unlisted;
    std::vector<std::string> counts;
    for (std::size_t row = 0; row < 3; ++row) {
      counts.emplace_back(run.lists.sizes.subCell(row, kCountCell));
    }
    EXPECT_EQ(counts, expected.counts) << unlisted;
    run.expectNothingOutsideTheTarget();
  }
}

}  // namespace
}  // namespace brimwell
