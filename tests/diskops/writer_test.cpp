#include "diskops/writer.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include <vector>

#include "app/failure.h"
#include "diskops/file_failure.h"
#include "observing_file_system.h"
#include "operation_fixture.h"
#include "platform/windows_errors.h"
#include "support/fault_injecting_file_system.h"
#include "support/temp_dir.h"

namespace brimwell {
namespace {

using testing::FaultInjectingFileSystem;
using testing::ObservingFileSystem;
using testing::Operation;
using testing::TempDir;
namespace stdfs = std::filesystem;

constexpr std::uint32_t kA = 134775813u;

// The bytes a file of `size` gets from the generator at `state`, worked out from the
// generator's formula: before every block of at most 2048 bytes, 2048 draws of one byte
// (state = state * 134775813 + 1, byte = top 8 bits), of which the block takes the first.
std::string expectedContent(std::uint32_t& state, std::size_t size) {
  std::string content;
  std::size_t written = 0;
  do {
    const std::size_t block = std::min<std::size_t>(2048, size - written);
    std::string refill(2048, '\0');
    for (char& byte : refill) {
      state = state * kA + 1u;
      byte = static_cast<char>(state >> 24);
    }
    content.append(refill, 0, block);
    written += block;
  } while (written < size);
  return content;
}

std::uint32_t stepped(std::uint32_t state, std::size_t steps) {
  for (std::size_t i = 0; i < steps; ++i) state = state * kA + 1u;
  return state;
}

const char* kQuestionTail =
    " bytes are going to be written. Please make sure that destination location has enough "
    "space to fit all data. Proceed now?";

TEST(Writer, WritesEveryFileInBlocksWithTheGeneratorsBytes) {
  TempDir dir;
  Operation op;
  op.disk.mapDrive('d', dir.path());
  ObservingFileSystem observed(op.disk, op.random);
  const std::vector<std::size_t> sizes = {0, 1, 2047, 2048, 2049, 5000};
  op.setFiles({{"d:\\Windows emul\\abcdefgh\\001-00000001.DAT", "0"},
               {"d:\\Windows emul\\abcdefgh\\001-00000002.DAT", "1"},
               {"d:\\Windows emul\\abcdefgh\\qqqqqqqq\\001-00000003.DAT", "2047"},
               {"d:\\Program Files emul\\001-00000004.DAT", " 2048"},
               {"d:\\Program Files emul\\zz\\yy\\xx\\001-00000005.DAT", "$801"},
               {"d:\\001-00000006.DAT", "5000"}});
  const std::uint32_t start = op.random.state();
  auto context = op.context(observed, PathStyle::windows());

  EXPECT_EQ(diskops::reproduce(context), Outcome::Done);

  EXPECT_EQ(op.feedback.events,
            (std::vector<std::string>{"confirm: Total 11145" + std::string(kQuestionTail),
                                      "status: Reproducing folder structure...", "status: Done."}));
  EXPECT_EQ(op.feedback.progress, 0);
  EXPECT_EQ(op.feedback.pumps, 2);

  // One write request per block; every block follows a refill of 2048 draws.
  const std::vector<std::pair<int, std::size_t>> blocks = {
      {0, 0}, {1, 1}, {2, 2047}, {3, 2048}, {4, 2048}, {4, 1}, {5, 2048}, {5, 2048}, {5, 904}};
  ASSERT_EQ(observed.writes.size(), blocks.size());
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(observed.writes[i].file, blocks[i].first) << i;
    EXPECT_EQ(observed.writes[i].size, blocks[i].second) << i;
    EXPECT_EQ(observed.writes[i].state, stepped(start, 2048 * (i + 1))) << i;
  }
  EXPECT_EQ(op.random.state(), stepped(start, 2048 * blocks.size()));

  // On the disk: every file exactly its size and its bytes in generator order; the second
  // file starts at draw 2048 because the empty first file still took one refill.
  std::uint32_t state = start;
  std::uintmax_t onDisk = 0;
  const std::vector<std::string> native = {
      "Windows emul/abcdefgh/001-00000001.DAT",          "Windows emul/abcdefgh/001-00000002.DAT",
      "Windows emul/abcdefgh/qqqqqqqq/001-00000003.DAT", "Program Files emul/001-00000004.DAT",
      "Program Files emul/zz/yy/xx/001-00000005.DAT",    "001-00000006.DAT"};
  for (std::size_t i = 0; i < native.size(); ++i) {
    const std::string content = dir.readFile(native[i]);
    EXPECT_EQ(content.size(), sizes[i]) << native[i];
    EXPECT_TRUE(content == expectedContent(state, sizes[i])) << native[i];
    onDisk += stdfs::file_size(dir / native[i]);
  }
  EXPECT_EQ(onDisk, 11145u);
}

TEST(Writer, FirstBytesFollowTheGeneratorFromAKnownState) {
  TempDir dir;
  Operation op;
  op.random.setState(0);
  op.setFiles({{dir / "a/f.DAT", "4"}, {dir / "a/g.DAT", "2"}});
  auto context = op.context(PathStyle::posix());
  ASSERT_EQ(diskops::reproduce(context), Outcome::Done);
  // From state 0 the draws of 256 run 0, 8, 220, 51, ...
  EXPECT_EQ(dir.readFile("a/f.DAT"), std::string("\x00\x08\xdc\x33", 4));
  std::uint32_t state = stepped(0, 2048);
  EXPECT_TRUE(dir.readFile("a/g.DAT") == expectedContent(state, 2));
}

TEST(Writer, ASecondRunReplacesTheFilesWithNewContent) {
  TempDir dir;
  dir.writeFile("x/b.DAT", std::string(10000, 'z'));  // longer than its new size
  Operation op;
  op.setFiles({{dir / "x/a.DAT", "3000"}, {dir / "x/b.DAT", "100"}});
  auto context = op.context(PathStyle::posix());
  ASSERT_EQ(diskops::reproduce(context), Outcome::Done);
  const std::string firstA = dir.readFile("x/a.DAT");
  EXPECT_EQ(dir.readFile("x/b.DAT").size(), 100u);

  ASSERT_EQ(diskops::reproduce(context), Outcome::Done);
  EXPECT_EQ(dir.readFile("x/a.DAT").size(), 3000u);
  EXPECT_NE(dir.readFile("x/a.DAT"), firstA);
  EXPECT_EQ(dir.readFile("x/b.DAT").size(), 100u);
}

TEST(Writer, ConsecutiveFilesOfOneFolderCheckItOnceAndAVanishedFolderIsMadeAgain) {
  TempDir dir;
  Operation op;
  ObservingFileSystem observed(op.disk, op.random);
  op.setFiles({{dir / "one/two/a.DAT", "1"},
               {dir / "one/two/b.DAT", "1"},
               {dir / "one/two/c.DAT", "1"},
               {dir / "one/two/d.DAT", "1"}});
  bool removed = false;
  observed.beforeCreate = [&](int file) {
    if (file == 2 && !removed) removed = stdfs::remove_all(dir / "one") > 0;
  };
  auto context = op.context(observed, PathStyle::posix());
  ASSERT_EQ(diskops::reproduce(context), Outcome::Done);
  // First file: one/two and one are missing, the temporary folder exists (3 reads); the
  // next file needs none; after the folder vanished, the same 3 again.
  EXPECT_EQ(observed.attributeReads, 6);
  for (const char* name : {"c.DAT", "d.DAT"}) {
    EXPECT_EQ(stdfs::file_size(dir / ("one/two/" + std::string(name))), 1u);
  }
  EXPECT_FALSE(stdfs::exists(dir / "one/two/a.DAT"));
}

TEST(Writer, ARefusedFileEndsTheRunWithItsMessageKeepingEarlierFiles) {
  TempDir dir;
  dir.writeFile("locked/b.DAT", "old");
  ASSERT_EQ(::chmod((dir / "locked/b.DAT").c_str(), 0444), 0);
  dir.writeFile("plain", "I am a file, not a folder");
  Operation op;
  op.disk.mapDrive('d', dir.path());
  auto context = op.context(PathStyle::windows());

  op.setFiles({{"d:\\locked\\a.DAT", "10"}, {"d:\\locked\\b.DAT", "10"}, {"d:\\c.DAT", "10"}});
  try {
    diskops::reproduce(context);
    FAIL() << "no failure";
  } catch (const IoFailure& failure) {
    EXPECT_STREQ(failure.what(), "File access denied");
  }
  EXPECT_EQ(op.feedback.status, "Reproducing folder structure...");
  EXPECT_EQ(stdfs::file_size(dir / "locked/a.DAT"), 10u);
  EXPECT_EQ(dir.readFile("locked/b.DAT"), "old");
  EXPECT_FALSE(stdfs::exists(dir / "c.DAT"));

  // A folder that cannot be made (a file holds its name, the drive is full) shows as a
  // missing folder, and the failure carries the folder and its own reason.
  const auto expectFolderRefused = [&](Context& made, const char* folder, int reason) {
    try {
      diskops::reproduce(made);
      ADD_FAILURE() << "no failure";
    } catch (const diskops::FolderIoFailure& failure) {
      EXPECT_STREQ(failure.what(), "Invalid filename");
      EXPECT_EQ(failure.folder(), folder);
      EXPECT_EQ(failure.folderCode(), reason);
    }
  };
  op.setFiles({{"d:\\plain\\inner\\x.DAT", "1"}});
  expectFolderRefused(context, "d:\\plain", winerr::kAlreadyExists);
  EXPECT_EQ(dir.readFile("plain"), "I am a file, not a folder");
  FaultInjectingFileSystem full(op.disk);
  full.failNth(FaultInjectingFileSystem::Op::CreateFolder, 1, winerr::kDiskFull);
  auto fullContext = op.context(full, PathStyle::windows());
  op.setFiles({{"d:\\new\\x.DAT", "1"}});
  expectFolderRefused(fullContext, "d:\\new", winerr::kDiskFull);
}

TEST(Writer, PathsWithoutAFolderOrWithAMissingRelativeRootCannotBeMade) {
  TempDir dir;
  Operation op;
  op.disk.mapDrive('d', dir.path());
  auto context = op.context(PathStyle::windows());
  const auto expectUnableToCreate = [&](const std::string& path) {
    op.setFiles({{"d:\\first.DAT", "5"}, {path, "5"}, {"d:\\last.DAT", "5"}});
    try {
      diskops::reproduce(context);
      ADD_FAILURE() << path << ": no failure";
    } catch (const Failure& failure) {
      EXPECT_STREQ(failure.what(), "Unable to create directory") << path;
    }
    EXPECT_TRUE(stdfs::exists(dir / "first.DAT"));
    EXPECT_FALSE(stdfs::exists(dir / "last.DAT"));
    stdfs::remove(dir / "first.DAT");
  };
  expectUnableToCreate("001-00000001.DAT");
  expectUnableToCreate("brimwell-missing-root\\sub\\001-00000001.DAT");
  ASSERT_FALSE(stdfs::exists("brimwell-missing-root"));

  // A relative folder of two characters counts as a drive under the Windows style, so the
  // file creation fails instead.
  op.setFiles({{"zq\\001-00000001.DAT", "5"}});
  try {
    diskops::reproduce(context);
    FAIL() << "no failure";
  } catch (const IoFailure& failure) {
    EXPECT_EQ(failure.code(), winerr::kPathNotFound);
  }
}

TEST(Writer, AFullDriveEndsTheRunWithANotice) {
  TempDir dir;
  Operation op;
  op.setFiles({{dir / "a.DAT", "100"}, {"/dev/full", "5000"}, {dir / "b.DAT", "10"}});
  auto context = op.context(PathStyle::posix());
  EXPECT_EQ(diskops::reproduce(context), Outcome::Failed);
  EXPECT_EQ(op.feedback.events,
            (std::vector<std::string>{
                "confirm: Total 5110" + std::string(kQuestionTail),
                "status: Reproducing folder structure...",
                "notice: Write error, possibly not enough space. Operation canceled.",
                "status: Error."}));
  EXPECT_EQ(op.feedback.progress, 0);
  EXPECT_EQ(op.feedback.pumps, 2);
  EXPECT_EQ(stdfs::file_size(dir / "a.DAT"), 100u);
  EXPECT_FALSE(stdfs::exists(dir / "b.DAT"));
}

TEST(Writer, AFailedBlockKeepsWhatWasWrittenAndAShortOneEndsOnlyItsFile) {
  TempDir dir;
  Operation op;
  FaultInjectingFileSystem faulty(op.disk);
  faulty.shortenNthWrite(1, 100);  // a.DAT: first block short, file ends
  faulty.failNth(FaultInjectingFileSystem::Op::Write, 4, winerr::kDiskFull);  // c.DAT 2nd
  op.setFiles({{dir / "a.DAT", "5000"},
               {dir / "b.DAT", "2048"},
               {dir / "c.DAT", "5000"},
               {dir / "d.DAT", "1"}});
  auto context = op.context(faulty, PathStyle::posix());
  EXPECT_EQ(diskops::reproduce(context), Outcome::Failed);
  EXPECT_EQ(stdfs::file_size(dir / "a.DAT"), 100u);
  EXPECT_EQ(stdfs::file_size(dir / "b.DAT"), 2048u);
  EXPECT_EQ(stdfs::file_size(dir / "c.DAT"), 2048u);
  EXPECT_FALSE(stdfs::exists(dir / "d.DAT"));
  EXPECT_EQ(op.feedback.status, "Error.");
  EXPECT_EQ(
      op.feedback.texts("notice"),
      std::vector<std::string>{"Write error, possibly not enough space. Operation canceled."});
}

TEST(Writer, DecliningOrAnEmptyListWritesNothing) {
  TempDir dir;
  Operation op;
  op.setFiles({{dir / "f/a.DAT", "7"}});
  const std::uint32_t state = op.random.state();
  op.feedback.answers = {false};
  auto context = op.context(PathStyle::posix());
  EXPECT_EQ(diskops::reproduce(context), Outcome::Declined);
  EXPECT_EQ(op.feedback.events,
            std::vector<std::string>{"confirm: Total 7" + std::string(kQuestionTail)});
  EXPECT_TRUE(stdfs::is_empty(dir.path()));
  EXPECT_EQ(op.random.state(), state);

  op.setFiles({});
  op.feedback.events.clear();
  EXPECT_EQ(diskops::reproduce(context), Outcome::Done);
  EXPECT_EQ(op.feedback.events,
            (std::vector<std::string>{"confirm: Total 0" + std::string(kQuestionTail),
                                      "status: Reproducing folder structure...", "status: Done."}));
}

TEST(Writer, BadSizeCellsFailBeforeTheQuestion) {
  TempDir dir;
  Operation op;
  auto context = op.context(PathStyle::posix());
  const auto expectFailure = [&](const std::string& message) {
    try {
      diskops::reproduce(context);
      ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.what(), message);
    }
    EXPECT_TRUE(op.feedback.events.empty());
    EXPECT_TRUE(stdfs::is_empty(dir.path()));
  };

  op.setFiles({{dir / "a.DAT", "1"}});
  op.lists.files1.addRow(dir / "b.DAT");  // no size cell yet
  expectFailure("List index out of bounds (0)");

  op.setFiles({{dir / "a.DAT", "1"}, {dir / "b.DAT", "12 "}});
  expectFailure("'12 ' is not a valid integer value");

  op.setFiles({{dir / "a.DAT", "1"}, {dir / "b.DAT", "2147483648"}});
  expectFailure("'2147483648' is not a valid integer value");
}

TEST(Writer, ANegativeSizeWritesAnEmptyFileAndCountsAsNothing) {
  TempDir dir;
  Operation op;
  op.setFiles({{dir / "a.DAT", "-5"}, {dir / "b.DAT", "3"}});
  auto context = op.context(PathStyle::posix());
  ASSERT_EQ(diskops::reproduce(context), Outcome::Done);
  EXPECT_EQ(op.feedback.texts("confirm"),
            std::vector<std::string>{"Total 3" + std::string(kQuestionTail)});
  EXPECT_EQ(stdfs::file_size(dir / "a.DAT"), 0u);
  EXPECT_EQ(stdfs::file_size(dir / "b.DAT"), 3u);
}

TEST(Writer, AFolderAnotherProcessMakesBetweenCheckAndCreationCountsAsMade) {
  TempDir dir;
  Operation op;
  ObservingFileSystem observed(op.disk, op.random);
  // The other process: the folder appears right after the writer found it missing.
  struct Racing : testing::ForwardingFileSystem {
    std::string folder;
    bool raced = false;
    Racing(ObservingFileSystem& r, std::string f)
        : testing::ForwardingFileSystem(r), folder(std::move(f)) {}
    bool attributes(const std::string& p, PathAttributes& out) override {
      const bool found = real().attributes(p, out);
      if (p == folder && !raced) {
        raced = true;
        stdfs::create_directory(folder);
      }
      return found;
    }
  } racing(observed, dir / "made");
  op.setFiles({{dir / "made/inner/a.DAT", "3"}});
  auto context = op.context(racing, PathStyle::posix());
  ASSERT_EQ(diskops::reproduce(context), Outcome::Done);
  EXPECT_TRUE(racing.raced);
  EXPECT_EQ(stdfs::file_size(dir / "made/inner/a.DAT"), 3u);
}

}  // namespace
}  // namespace brimwell
