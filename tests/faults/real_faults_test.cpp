// Real faults, made on demand where the machine allows: a drive that fills up (a small
// tmpfs), a device that refuses every write, paths longer than the system takes, and names
// whose bytes are not valid UTF-8.
#include <sys/mount.h>
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/context.h"
#include "app/failure.h"
#include "census/census.h"
#include "census/size_template.h"
#include "diskops/fragmentation.h"
#include "diskops/writer.h"
#include "fileset/builder.h"
#include "platform/posix_file_system.h"
#include "support/recording_feedback.h"
#include "support/small_drive.h"
#include "support/temp_dir.h"

namespace brimwell {
namespace {

namespace fs = std::filesystem;

struct Operations {
  PosixFileSystem files;
  Workspace lists;
  FieldValues fields;
  testing::RecordingFeedback feedback;
  RandomSource random{7};
  std::unique_ptr<Collation> collation = userCollation();
  Context context{lists, fields, feedback, files, random, *collation, PathStyle::posix(), "."};

  void list(const std::string& path, std::int64_t size) {
    const auto row = lists.files1.addRow(path);
    lists.files1.addSubCell(row, std::to_string(size));
  }
};

using testing::SmallDrive;

TEST(RealFaults, AFullDriveStopsTheWriterAndKeepsWhatWasWritten) {
  SmallDrive drive(256 * 1024);
  if (!drive.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root and mount rights";
  Operations ops;
  for (int i = 0; i < 8; ++i) ops.list(drive.path("f" + std::to_string(i) + ".DAT"), 60000);
  EXPECT_EQ(diskops::reproduce(ops.context), Outcome::Failed);
  EXPECT_EQ(
      ops.feedback.texts("notice"),
      std::vector<std::string>{"Write error, possibly not enough space. Operation canceled."});
  EXPECT_EQ(ops.feedback.status, "Error.");
  int whole = 0;
  for (int i = 0; i < 8; ++i) {
    const std::string path = drive.path("f" + std::to_string(i) + ".DAT");
    if (fs::exists(path) && fs::file_size(path) == 60000) ++whole;
  }
  EXPECT_EQ(whole, 4);  // 4 x 60000 fit in 256 KiB, the fifth does not
}

// The window's notice stays as it was; the command line also learns which file and why.
TEST(RealFaults, TheFileAFullDriveStoppedIsNamedWithTheReason) {
  SmallDrive drive(256 * 1024);
  if (!drive.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root and mount rights";
  Operations ops;
  for (int i = 0; i < 8; ++i) ops.list(drive.path("f" + std::to_string(i) + ".DAT"), 60000);
  EXPECT_EQ(diskops::reproduce(ops.context), Outcome::Failed);
  EXPECT_EQ(ops.feedback.explained,
            std::vector<std::string>{"The file '" + drive.path("f4.DAT") +
                                     "' could not be written: the volume is full."});
}

TEST(RealFaults, SavingATemplateOnAFullDriveReportsTheDriveFull) {
  SmallDrive drive(4096);
  if (!drive.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root and mount rights";
  Operations ops;
  std::string bytes;
  for (int i = 0; i < 2000; ++i) bytes += std::to_string(i) + "\t1\tdescription\r\n";
  census::readTemplate(bytes, ops.lists.sizes);
  try {
    census::saveTemplateFile(ops.context, drive.path("big.fs"));
    FAIL() << "no failure";
  } catch (const IoFailure& failure) {
    EXPECT_EQ(errorBoxText(failure.what()), "I/O error 112.");
  }
  EXPECT_EQ(ops.lists.sizes.rowCount(), 2000u);
}

TEST(RealFaults, ADeviceThatRefusesEveryWrite) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  Operations ops;
  ops.list("/dev/full", 10);
  EXPECT_EQ(diskops::reproduce(ops.context), Outcome::Failed);
  EXPECT_EQ(ops.feedback.status, "Error.");
}

TEST(RealFaults, PathsLongerThanTheSystemTakes) {
  testing::TempDir dir;
  Operations ops;
  std::string deep = dir.path();
  while (deep.size() < 4200) deep += "/" + std::string(50, 'd');
  ops.list(dir / "first.DAT", 3);
  ops.list(deep + "/too-deep.DAT", 3);
  ops.list(dir / (std::string(300, 'n') + ".DAT"), 3);
  try {
    diskops::reproduce(ops.context);
    FAIL() << "no failure";
  } catch (const IoFailure& failure) {
    EXPECT_EQ(errorBoxText(failure.what()), "I/O error 123.");
  }
  EXPECT_EQ(fs::file_size(dir / "first.DAT"), 3u);
  // A name over the limit in a folder that exists fails the same way.
  ops.lists.files1.removeRows({true, true, false});
  EXPECT_THROW(diskops::reproduce(ops.context), IoFailure);
}

TEST(RealFaults, NamesThatAreNotUtf8GoThroughEveryOperation) {
  testing::TempDir dir;
  Operations ops;
  ops.fields.setText(EditField::reprodpath, dir.path() + "/");
  const std::string odd = "\xff\xfe caf\xe9";
  for (int r = 0; r < 5; ++r) {
    ops.fields.setText(rootNameField(r), odd + std::to_string(r));
    ops.fields.setValue(rootDepthField(r), 1);
  }
  ops.fields.setText(EditField::id, "\x80-");
  ops.fields.setValue(SpinField::SpinEdit1, 200);
  ops.fields.setValue(SpinField::SpinEdit2, 20);
  census::readTemplate("100\t1\r\n5000\t1\r\n", ops.lists.sizes);
  ASSERT_EQ(fileset::build(ops.context), Outcome::Done);
  ASSERT_EQ(ops.lists.files1.rowCount(), 200u);
  ASSERT_EQ(diskops::reproduce(ops.context), Outcome::Done);

  Operations census;
  census::readTemplate("100\t0\r\n5000\t0\r\n", census.lists.sizes);
  census.fields.setText(EditField::scanpath, dir.path());
  ASSERT_EQ(census::analyse(census.context), Outcome::Done);
  EXPECT_EQ(census.feedback.status.rfind("Total files: 200, ", 0), 0u) << census.feedback.status;

  const auto erased = diskops::erase(ops.context);
  EXPECT_EQ(erased.erased, 200);
  EXPECT_EQ(erased.failed, 0);
}

TEST(RealFaults, ASaveThatFillsTheDriveLeavesTheOldTemplateWholeAndNothingBeside) {
  SmallDrive drive(64 * 1024);
  if (!drive.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root and mount rights";
  Operations ops;
  census::readTemplate("512\t1\r\n1024\t2\r\n", ops.lists.sizes);
  census::saveTemplateFile(ops.context, drive.path("t.fs"));
  const std::string saved = "512\t1\r\n1024\t2\r\n";
  std::string big;
  for (int i = 0; i < 8000; ++i) big += std::to_string(i) + "\t1\tdescription\r\n";
  census::readTemplate(big, ops.lists.sizes);
  try {
    census::saveTemplateFile(ops.context, drive.path("t.fs"));
    FAIL() << "no failure";
  } catch (const IoFailure& failure) {
    EXPECT_EQ(errorBoxText(failure.what()), "I/O error 112.");
  }
  std::ifstream in(drive.path("t.fs"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), saved);
  EXPECT_EQ(std::distance(fs::directory_iterator(drive.path("")), fs::directory_iterator()), 1);
}

TEST(RealFaults, TheCensusStaysOnItsFileSystemHoweverTheLocationIsSpelled) {
  testing::TempDir dir;
  dir.writeFile("a/one", "1");
  dir.writeFile("a/b/two", "22");
  fs::create_directory(dir / "a/m");
  if (::mount("tmpfs", (dir / "a/m").c_str(), "tmpfs", 0, "size=65536") != 0) {
    GTEST_SKIP() << "mounting a tmpfs needs root and mount rights";
  }
  std::ofstream(dir / "a/m/foreign") << "xyz";
  fs::create_directory_symlink(dir / "a", dir / "link");
  for (const std::string& location : {dir / "a", dir / "a/", dir / "a/./", dir.path() + "//a//",
                                      dir / "a/b/../", dir / "link/"}) {
    Operations census;
    census::readTemplate("100\t0\r\n", census.lists.sizes);
    census.fields.setText(EditField::scanpath, location);
    ASSERT_EQ(census::analyse(census.context), Outcome::Done) << location;
    EXPECT_EQ(census.feedback.status,
              "Total files: 2, total folders: 2, total size: 3, avg size: 1.")
        << location;
  }
  ::umount2((dir / "a/m").c_str(), MNT_DETACH);
}

TEST(RealFaults, APlantedLinkStopsTheWriterAndTheEraseAtTheTarget) {
  testing::TempDir dir;
  dir.writeFile("elsewhere/victim.DAT", "victim");
  Operations ops;
  ops.fields.setText(EditField::reprodpath, dir / "out/");
  fs::create_directory(dir / "out");
  fs::create_directory_symlink(dir / "elsewhere", dir / "out/Windows emul");
  ops.list(dir / "out/Program Files emul/a.DAT", 10);
  ops.list(dir / "out/Windows emul/victim.DAT", 10);
  try {
    diskops::reproduce(ops.context);
    FAIL() << "no failure";
  } catch (const IoFailure& failure) {
    EXPECT_EQ(errorBoxText(failure.what()), "File access denied.");
  }
  EXPECT_EQ(fs::file_size(dir / "out/Program Files emul/a.DAT"), 10u);
  EXPECT_EQ(fs::file_size(dir / "elsewhere/victim.DAT"), 6u);

  const auto erased = diskops::erase(ops.context);
  EXPECT_EQ(erased.erased, 1);
  EXPECT_EQ(erased.failed, 1);
  EXPECT_EQ(erased.missing, 0);
  EXPECT_TRUE(fs::exists(dir / "elsewhere/victim.DAT"));
  EXPECT_TRUE(ops.lists.files1.empty());  // the window's erase empties the list
}

}  // namespace
}  // namespace brimwell
