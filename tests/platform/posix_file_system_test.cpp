// What only the POSIX backend does: the drive map, links, mount points, the read-only
// rule for root, and a device that is always full. The behaviour both backends share is
// in file_system_contract_test.cpp.
#ifndef _WIN32

#include "platform/posix_file_system.h"

#include <sys/stat.h>

#include <cerrno>

#include <gtest/gtest.h>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "platform/volume.h"
#include "platform/volume_layout.h"
#include "platform/windows_errors.h"
#include "support/temp_dir.h"

namespace brimwell {
namespace {

using testing::TempDir;

std::set<std::string> listNames(FileSystem& fs, const std::string& path) {
  std::set<std::string> names;
  int listError = 0;
  auto listing = fs.listFolder(path, false, listError);
  if (!listing) return names;
  DirEntry entry;
  while (listing->next(entry)) names.insert(entry.name + (entry.isDirectory ? "/" : ""));
  return names;
}

TEST(PosixFileSystem, LinksAreListedAsWindowsListsThem) {
  TempDir dir;
  dir.writeFile("sub/inner", "12345");
  std::filesystem::create_symlink(dir / "sub", dir / "link");
  std::filesystem::create_symlink(dir / "sub/inner", dir / "file-link");
  std::filesystem::create_symlink(dir / "missing", dir / "dangling");
  PosixFileSystem fs;
  EXPECT_EQ(listNames(fs, dir.path()),
            (std::set<std::string>{"./", "../", "sub/", "link/", "file-link", "dangling"}));
  // A link to a folder is not entered; any other link is a file of size 0, not the
  // length of the link's text.
  int listError = 0;
  auto listing = fs.listFolder(dir.path(), true, listError);
  ASSERT_TRUE(listing);
  DirEntry entry;
  std::set<std::string> seen;
  while (listing->next(entry)) {
    if (entry.name == "." || entry.name == "..") continue;
    seen.insert(entry.name + (entry.isForeignDirectory ? " not entered " : " ") +
                std::to_string(entry.size));
  }
  EXPECT_EQ(seen,
            (std::set<std::string>{"sub 0", "link not entered 0", "file-link 0", "dangling 0"}));
  // The attributes of a link are those of what it names.
  PathAttributes attributes;
  ASSERT_TRUE(fs.attributes(dir / "link", attributes));
  EXPECT_TRUE(attributes.isDirectory);
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
  EXPECT_EQ(fs.listFolder("q:\\", false, error), nullptr);
  EXPECT_EQ(error, winerr::kPathNotFound);
  EXPECT_EQ(fs.createFile("q:\\new.dat", error), nullptr);
  EXPECT_EQ(error, winerr::kPathNotFound);
}

TEST(PosixFileSystem, AFileInThePathIsAMissingFolder) {
  TempDir dir;
  dir.writeFile("plain.txt", "data");
  PosixFileSystem fs;
  std::string contents;
  EXPECT_EQ(fs.readFile(dir / "plain.txt/below", contents), winerr::kPathNotFound);
}

TEST(PosixFileSystem, ReadOnlyFilesRefuseReplacementAndDeletionEvenForRoot) {
  // Root may write anything; the tool still treats a file without write bits as
  // read-only, as Windows does for administrators.
  TempDir dir;
  dir.writeFile("ro.dat", "keep me");
  ASSERT_EQ(chmod((dir / "ro.dat").c_str(), 0444), 0);
  PosixFileSystem fs;
  int error = 0;
  EXPECT_EQ(fs.createFile(dir / "ro.dat", error), nullptr);
  EXPECT_EQ(error, winerr::kAccessDenied);
  EXPECT_EQ(fs.deleteFile(dir / "ro.dat"), winerr::kAccessDenied);
  EXPECT_EQ(dir.readFile("ro.dat"), "keep me");
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

// A file the listing showed to be regular is opened before its stat: it reads as any path
// does, also when it has since been replaced by a link (not followed), a pipe (not waited on)
// or nothing at all.
TEST(PosixFileSystem, AFileListedAsRegularReadsAsAnyPathEvenWhenReplacedSince) {
  TempDir dir;
  dir.writeFile("data", std::string(3 * 4096 + 10, 'd'));
  dir.writeFile("empty", "");
  dir.writeFile("sub/inner", "x");
  std::filesystem::create_symlink(dir / "data", dir / "link");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  nativeVolume().settle(dir.path());
  PosixFileSystem fs;
  std::map<std::string, bool> regular;
  int listError = 0;
  auto listing = fs.listFolder(dir.path(), false, listError);
  ASSERT_TRUE(listing);
  std::intptr_t folderHandle = -1;
  for (DirEntry entry; listing->next(entry);) {
    regular[entry.name] = entry.isRegularFile;
    folderHandle = entry.folderHandle;
  }
  EXPECT_EQ(regular, (std::map<std::string, bool>{{".", false},
                                                  {"..", false},
                                                  {"data", true},
                                                  {"empty", true},
                                                  {"link", false},
                                                  {"pipe", false},
                                                  {"sub", false}}));

  ASSERT_GE(folderHandle, 0) << "the listing hands over its open folder";

  // Each file by its path alone, and then (the volume's rules learnt from the first) through
  // the open folder of the listing that showed it, which the reader opens it in.
  FileExtentReader byPath(true);
  FileExtentReader listed(true);
  const std::intptr_t byName = -1;
  const std::pair<const char*, std::intptr_t> files[] = {
      {"data", byName},       {"empty", byName},       {"link", byName},
      {"pipe", byName},       {"gone", byName},        {"sub/inner", byName},
      {"data", folderHandle}, {"empty", folderHandle}, {"link", folderHandle},
      {"pipe", folderHandle}, {"gone", folderHandle}};
  for (const auto& [name, handle] : files) {
    SCOPED_TRACE(std::string(name) + (handle == byName ? " by path" : " through the listing"));
    std::vector<Extent> pathExtents, listedExtents;
    const Expected<FileMap> byPathMap = byPath.read(dir / name, pathExtents);
    const Expected<FileMap> listedMap = listed.readListedFile(dir / name, handle, listedExtents);
    ASSERT_EQ(listedMap.known(), byPathMap.known());
    if (!byPathMap) {
      EXPECT_EQ(listedMap.failure().message(), byPathMap.failure().message());
      continue;
    }
    EXPECT_EQ(listedMap->place, byPathMap->place);
    if (byPathMap->place != FilePlace::Mapped) continue;
    EXPECT_EQ(listedMap->size, byPathMap->size);
    ASSERT_EQ(listedExtents.size(), pathExtents.size());
    for (std::size_t i = 0; i < pathExtents.size(); ++i) {
      EXPECT_EQ(
          std::tie(listedExtents[i].logical, listedExtents[i].physical, listedExtents[i].length),
          std::tie(pathExtents[i].logical, pathExtents[i].physical, pathExtents[i].length));
    }
  }
  std::vector<Extent> extents;
  const Expected<FileMap> pipe = listed.readListedFile(dir / "pipe", -1, extents);
  ASSERT_TRUE(pipe);
  EXPECT_EQ(pipe->place, FilePlace::Mapped);
  EXPECT_EQ(pipe->size, 0u);
  EXPECT_TRUE(extents.empty());
  // A file that is gone fails with the system's words, its path and the system's number.
  const Expected<FileMap> gone = listed.readListedFile(dir / "gone", -1, extents);
  ASSERT_FALSE(gone);
  EXPECT_EQ(gone.failure().message(), "No such file or directory");
  EXPECT_EQ(gone.failure().path(), dir / "gone");
  ASSERT_TRUE(gone.failure().systemError());
  EXPECT_EQ(gone.failure().systemError()->number, ENOENT);
}

// A volume that cannot be read says which path and what the system said, number and words, so
// the user's message can name both; a caller that cannot go on gets that failure thrown.
TEST(PosixFileSystem, AVolumeThatCannotBeReadCarriesThePathAndTheSystemsError) {
  TempDir dir;
  const std::string missing = dir / "missing";
  const Expected<VolumeSpace> space = nativeVolume().space(missing);
  ASSERT_FALSE(space);
  EXPECT_EQ(space.failure().path(), missing);
  ASSERT_TRUE(space.failure().systemError());
  EXPECT_EQ(space.failure().systemError()->number, ENOENT);
  EXPECT_EQ(space.failure().explained(),
            "cannot read the volume of " + missing + ": no such file or directory (errno 2)");
  EXPECT_THROW((void)space.value(), Failure);

  const Expected<std::vector<Extent>> free = nativeVolume().freeExtents(missing);
  ASSERT_FALSE(free);
  EXPECT_EQ(free.failure().explained(),
            "cannot open " + missing + ": no such file or directory (errno 2)");
  EXPECT_TRUE(nativeVolume().space(dir.path()));
}

}  // namespace
}  // namespace brimwell

#endif  // _WIN32
