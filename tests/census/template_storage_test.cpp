// The Load and Save handlers on real files: dialogs, status line, and every failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/failure.h"
#include "census/size_template.h"
#include "census_fixture.h"
#include "platform/windows_errors.h"
#include "support/fault_injecting_file_system.h"

namespace brimwell::census {
namespace {

using testing::CensusFixture;
using testing::FaultInjectingFileSystem;

// Runs `action` and returns the message of the Failure it throws.
template <typename Action>
std::string failureOf(Action action) {
  try {
    action();
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "no failure";
}

TEST(TemplateStorage, LoadReplacesTheTableAndEmptiesTheStatusLine) {
  CensusFixture f;
  f.setRows({{"9", "9", "old"}});
  f.feedback.setStatus("before");
  f.dir.writeFile("t.fs", "4096\t120\r\n");
  f.feedback.files.push_back(f.dir / "t.fs");
  EXPECT_EQ(loadTemplate(f.context), Outcome::Done);
  EXPECT_EQ(f.thresholds(), (std::vector<std::string>{"4096"}));
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"120"}));
  EXPECT_EQ(f.column(kPercentCell), (std::vector<std::string>{"100.00"}));
  EXPECT_EQ(f.column(kDescriptionCell), (std::vector<std::string>{""}));
  EXPECT_EQ(f.feedback.events, (std::vector<std::string>{"status: before", "open", "status: "}));
}

TEST(TemplateStorage, CancellingEitherDialogChangesNothing) {
  CensusFixture f;
  f.setRows({{"1", "2", "kept"}});
  f.feedback.setStatus("as it was");
  EXPECT_EQ(loadTemplate(f.context), Outcome::Declined);
  EXPECT_EQ(saveTemplate(f.context), Outcome::Declined);
  EXPECT_EQ(f.column(kDescriptionCell), (std::vector<std::string>{"kept"}));
  EXPECT_EQ(f.feedback.status, "as it was");
  EXPECT_TRUE(std::filesystem::is_empty(f.dir.path()));
}

TEST(TemplateStorage, AMissingFileLeavesAnEmptyTable) {
  CensusFixture f;
  f.setRows({{"1", "2"}});
  f.feedback.setStatus("as it was");
  f.feedback.files.push_back(f.dir / "missing.fs");
  EXPECT_EQ(failureOf([&] { loadTemplate(f.context); }), "File not found");
  EXPECT_TRUE(f.lists.sizes.empty());
  EXPECT_EQ(f.feedback.status, "as it was");

  f.setRows({{"1", "2"}});
  EXPECT_EQ(failureOf([&] { loadTemplateFile(f.context, f.dir / "no/such/folder.fs"); }),
            "Invalid filename");
  EXPECT_TRUE(f.lists.sizes.empty());
}

// A file far larger than a template (3 GB once took 12.6 GB to refuse) is refused by its
// size before it is read, in the window's Load as on the command line.
TEST(TemplateStorage, AFileLargerThanATemplateMayBeIsRefusedUnread) {
  CensusFixture f;
  f.setRows({{"1", "2"}});
  f.dir.writeFile("huge.fs", "4096\t1\r\n");
  std::filesystem::resize_file(f.dir / "huge.fs", std::uint64_t{3} << 30);
  f.feedback.files.push_back(f.dir / "huge.fs");
  EXPECT_EQ(failureOf([&] { loadTemplate(f.context); }),
            "The template '" + f.dir / "huge.fs" +
                "' is not read: it is 3221225472 bytes (3.0 GiB), more than the 16 MiB such a "
                "file may hold");
  EXPECT_TRUE(f.lists.sizes.empty());
}

TEST(TemplateStorage, AFolderGivenAsTheFileIsRefused) {
  CensusFixture f;
  f.setRows({{"1", "2"}});
  EXPECT_EQ(failureOf([&] { loadTemplateFile(f.context, f.dir.path()); }), "File access denied");
  EXPECT_TRUE(f.lists.sizes.empty());
  EXPECT_EQ(failureOf([&] { saveTemplateFile(f.context, f.dir.path()); }), "File access denied");
}

TEST(TemplateStorage, ABadCountKeepsTheRowsWithZeroPercentAndTheStatus) {
  CensusFixture f;
  f.feedback.setStatus("as it was");
  f.dir.writeFile("bad.fs", "512\t5\r\n1024\tmany\tdescribed\r\n");
  f.feedback.files.push_back(f.dir / "bad.fs");
  EXPECT_EQ(failureOf([&] { loadTemplate(f.context); }), "'many' is not a valid integer value");
  EXPECT_EQ(f.thresholds(), (std::vector<std::string>{"512", "1024"}));
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"5", "many"}));
  EXPECT_EQ(f.column(kPercentCell), (std::vector<std::string>{"0", "0"}));
  EXPECT_EQ(f.column(kDescriptionCell), (std::vector<std::string>{"", "described"}));
  EXPECT_EQ(f.feedback.status, "as it was");
}

TEST(TemplateStorage, LinesWithoutTabAndEmptyFiles) {
  CensusFixture f;
  f.dir.writeFile("number.fs", "77\r\n");
  loadTemplateFile(f.context, f.dir / "number.fs");
  EXPECT_EQ(f.thresholds(), (std::vector<std::string>{""}));
  EXPECT_EQ(f.column(kPercentCell), (std::vector<std::string>{"100.00"}));

  f.dir.writeFile("words.fs", "just words\r\n");
  EXPECT_EQ(failureOf([&] { loadTemplateFile(f.context, f.dir / "words.fs"); }),
            "'just words' is not a valid integer value");
  EXPECT_EQ(f.column(kCountCell), (std::vector<std::string>{"just words"}));

  f.dir.writeFile("empty.fs", "");
  loadTemplateFile(f.context, f.dir / "empty.fs");
  EXPECT_TRUE(f.lists.sizes.empty());
}

TEST(TemplateStorage, SaveLeavesTheStatusLine) {
  CensusFixture f;
  f.setRows({{"4096", "120"}});
  f.feedback.setStatus("as it was");
  f.feedback.files.push_back(f.dir / "saved.fs");
  EXPECT_EQ(saveTemplate(f.context), Outcome::Done);
  EXPECT_EQ(f.dir.readFile("saved.fs"), "4096\t120\r\n");
  EXPECT_EQ(f.feedback.events, (std::vector<std::string>{"status: as it was", "save"}));
}

TEST(TemplateStorage, ARefusedWriteFailsWithItsNumberAndKeepsWhatWasWritten) {
  PosixFileSystem posix;
  FaultInjectingFileSystem faulty(posix);
  CensusFixture f(&faulty);
  f.setRows({{"512", "1"}, {"1024", "2"}});
  // The first write takes five bytes, the second is refused by a full drive.
  faulty.shortenNthWrite(1, 5);
  faulty.failNth(FaultInjectingFileSystem::Op::Write, 2, winerr::kDiskFull);
  EXPECT_EQ(failureOf([&] { saveTemplateFile(f.context, f.dir / "full.fs"); }), "I/O error 112");
  EXPECT_EQ(f.dir.readFile("full.fs"), "512\t1");

  faulty.failNth(FaultInjectingFileSystem::Op::Create, 2, winerr::kInvalidName);
  EXPECT_EQ(failureOf([&] { saveTemplateFile(f.context, f.dir / "bad.fs"); }), "I/O error 123");

  // A write that takes nothing and reports nothing is a full drive too.
  faulty.shortenNthWrite(3, 0);
  EXPECT_EQ(failureOf([&] { saveTemplateFile(f.context, f.dir / "stuck.fs"); }), "I/O error 112");
}

TEST(TemplateStorage, ShortWritesAreCompleted) {
  PosixFileSystem posix;
  FaultInjectingFileSystem faulty(posix);
  CensusFixture f(&faulty);
  f.setRows({{"512", "1", "small"}});
  faulty.shortenNthWrite(1, 3);
  saveTemplateFile(f.context, f.dir / "t.fs");
  EXPECT_EQ(f.dir.readFile("t.fs"), "512\t1\tsmall\r\n");
}

}  // namespace
}  // namespace brimwell::census
