#include "platform/posix_file_system.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <set>

#include "platform/windows_errors.h"
#include "support/temp_dir.h"

namespace brimwell {
namespace {

using testing::TempDir;

std::set<std::string> listNames(FileSystem& fs, const std::string& path) {
  std::set<std::string> names;
  auto listing = fs.listFolder(path, false);
  if (!listing) return names;
  DirEntry entry;
  while (listing->next(entry)) names.insert(entry.name + (entry.isDirectory ? "/" : ""));
  return names;
}

TEST(PosixFileSystem, ListsEveryEntryWithTypeAndSize) {
  TempDir dir;
  dir.writeFile("a.txt", std::string(300, 'x'));
  dir.writeFile(".hidden", "12");
  dir.writeFile("sub/inner", "");
  std::filesystem::create_symlink(dir / "sub", dir / "link");
  PosixFileSystem fs;
  EXPECT_EQ(listNames(fs, dir.path()),
            (std::set<std::string>{"./", "../", "a.txt", ".hidden", "sub/", "link"}));

  auto listing = fs.listFolder(dir.path() + "/", true);
  ASSERT_TRUE(listing);
  DirEntry entry;
  int files = 0;
  while (listing->next(entry)) {
    if (entry.name == "a.txt") {
      EXPECT_EQ(entry.size, 300u);
      ++files;
    } else if (entry.name == ".hidden") {
      EXPECT_EQ(entry.size, 2u);
      ++files;
    } else if (entry.name == "link") {
      // A link is not followed: it is a file of its own size.
      EXPECT_FALSE(entry.isDirectory);
      ++files;
    }
  }
  EXPECT_EQ(files, 3);
  EXPECT_EQ(fs.listFolder(dir / "missing", false), nullptr);
}

TEST(PosixFileSystem, BothSeparatorsAndTheDriveMap) {
  TempDir dir;
  dir.writeFile("x/y.txt", "hello");
  PosixFileSystem fs;
  fs.mapDrive('D', dir.path());
  std::string contents;
  EXPECT_EQ(fs.readFile("d:\\x\\y.txt", contents), 0);
  EXPECT_EQ(contents, "hello");
  EXPECT_EQ(fs.readFile("D:/x\\y.txt", contents), 0);
  EXPECT_EQ(fs.readFile(dir.path() + "\\x\\y.txt", contents), 0);

  // "c:" is the root; any other unmapped drive is a missing drive.
  std::string native;
  int error = 0;
  ASSERT_TRUE(fs.toNative("c:", native, error));
  EXPECT_EQ(native, "/");
  ASSERT_TRUE(fs.toNative("C:\\usr\\lib", native, error));
  EXPECT_EQ(native, "/usr/lib");
  EXPECT_FALSE(fs.toNative("e:\\data", native, error));
  EXPECT_EQ(error, winerr::kPathNotFound);
  EXPECT_FALSE(listNames(fs, "c:\\").empty());
  EXPECT_EQ(listNames(fs, "c:"), listNames(fs, "c:\\"));
  EXPECT_EQ(fs.listFolder("q:\\", false), nullptr);
}

TEST(PosixFileSystem, RealRefusalsGiveTheWindowsNumbers) {
  TempDir dir;
  dir.writeFile("plain.txt", "data");
  PosixFileSystem fs;
  std::string contents;
  EXPECT_EQ(fs.readFile(dir / "missing.fs", contents), winerr::kFileNotFound);
  EXPECT_EQ(fs.readFile(dir / "nofolder/missing.fs", contents), winerr::kPathNotFound);
  EXPECT_EQ(fs.readFile(dir / "plain.txt/below", contents), winerr::kPathNotFound);
  EXPECT_EQ(fs.readFile(dir.path(), contents), winerr::kAccessDenied);

  int error = 0;
  EXPECT_EQ(fs.createFile(dir / "nofolder/new.dat", error), nullptr);
  EXPECT_EQ(error, winerr::kPathNotFound);
  EXPECT_EQ(fs.createFile(dir / std::string(300, 'n'), error), nullptr);
  EXPECT_EQ(error, winerr::kInvalidName);
  EXPECT_EQ(fs.createFile(dir.path(), error), nullptr);
  EXPECT_EQ(error, winerr::kAccessDenied);
  EXPECT_EQ(fs.createFile(std::string("a\0b", 3), error), nullptr);
  EXPECT_EQ(error, winerr::kInvalidName);

  EXPECT_EQ(fs.createFolder(dir / "plain.txt"), winerr::kAlreadyExists);
  EXPECT_EQ(fs.createFolder(dir / "a/b"), winerr::kPathNotFound);
  EXPECT_EQ(fs.deleteFile(dir / "missing"), winerr::kFileNotFound);
  EXPECT_EQ(fs.deleteFile(dir.path()), winerr::kAccessDenied);
}

TEST(PosixFileSystem, ReadOnlyFilesRefuseReplacementAndDeletionEvenForRoot) {
  TempDir dir;
  dir.writeFile("ro.dat", "keep me");
  ASSERT_EQ(chmod((dir / "ro.dat").c_str(), 0444), 0);
  PosixFileSystem fs;
  int error = 0;
  EXPECT_EQ(fs.createFile(dir / "ro.dat", error), nullptr);
  EXPECT_EQ(error, winerr::kAccessDenied);
  EXPECT_EQ(fs.deleteFile(dir / "ro.dat"), winerr::kAccessDenied);
  EXPECT_EQ(dir.readFile("ro.dat"), "keep me");
  PathAttributes attributes;
  ASSERT_TRUE(fs.attributes(dir / "ro.dat", attributes));
  EXPECT_TRUE(attributes.readOnly);
  EXPECT_FALSE(attributes.isDirectory);
}

TEST(PosixFileSystem, CreateReplacesAndWritesBlocks) {
  TempDir dir;
  dir.writeFile("f.dat", "old contents that are long");
  PosixFileSystem fs;
  int error = -1;
  auto file = fs.createFile(dir / "f.dat", error);
  ASSERT_TRUE(file);
  EXPECT_EQ(error, 0);
  std::size_t written = 0;
  EXPECT_EQ(file->write("new", 3, written), 0);
  EXPECT_EQ(written, 3u);
  EXPECT_EQ(file->write("", 0, written), 0);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(file->close(), 0);
  EXPECT_EQ(file->close(), 0);
  EXPECT_EQ(dir.readFile("f.dat"), "new");

  EXPECT_EQ(fs.createFolder(dir / "made"), 0);
  PathAttributes attributes;
  ASSERT_TRUE(fs.attributes(dir / "made", attributes));
  EXPECT_TRUE(attributes.isDirectory);
  EXPECT_EQ(fs.deleteFile(dir / "f.dat"), 0);
  EXPECT_FALSE(fs.attributes(dir / "f.dat", attributes));
}

TEST(PosixFileSystem, AFullDeviceRefusesWrites) {
  PosixFileSystem fs;
  int error = 0;
  auto file = fs.createFile("/dev/full", error);
  if (!file) GTEST_SKIP() << "/dev/full cannot be opened here (error " << error << ")";
  char block[2048] = {};
  std::size_t written = 99;
  EXPECT_EQ(file->write(block, sizeof block, written), winerr::kDiskFull);
  EXPECT_EQ(written, 0u);
}

}  // namespace
}  // namespace brimwell
