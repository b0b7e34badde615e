// The file-system layer's contract, run against the native backend: PosixFileSystem on
// Linux, Win32FileSystem on Windows (under Wine). Both must answer alike, error numbers
// included, since the failure messages are picked by them.
#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/native_file_system.h"
#include "platform/path_style.h"
#include "platform/volume.h"
#include "platform/windows_errors.h"
#include "support/temp_dir.h"

namespace brimwell {
namespace {

using testing::TempDir;

std::string join(const std::string& folder, const std::string& name) {
  return folder + PathStyle::native().separator() + name;
}

void makeReadOnly(const std::string& path) {
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

// A name the platform refuses as invalid (error 123) in a folder that exists.
std::string invalidName() {
#ifdef _WIN32
  return "bad?name.dat";
#else
  return std::string(300, 'n');
#endif
}

// Wine keeps the read-only attribute as missing write permission bits, which do not stop
// root (as CI runs it), so there a read-only file can be replaced; Windows refuses that
// to everyone.
bool runningUnderWine() {
#ifdef _WIN32
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

struct Seen {
  int times = 0;
  bool isDirectory = false;
  bool isForeignDirectory = false;
  std::uint64_t size = 0;
};

std::map<std::string, Seen> listAll(FileSystem& fs, const std::string& path, bool withSizes) {
  std::map<std::string, Seen> seen;
  int error = 0;
  auto listing = fs.listFolder(path, withSizes, error);
  if (!listing) return seen;
  DirEntry entry;
  while (listing->next(entry)) {
    Seen& one = seen[entry.name];
    ++one.times;
    one.isDirectory = entry.isDirectory;
    one.isForeignDirectory = entry.isForeignDirectory;
    one.size = entry.size;
  }
  return seen;
}

TEST(FileSystemContract, ListsEveryEntryOnceWithDotsTypesAndSizes) {
  TempDir dir;
  dir.writeFile("a.txt", std::string(300, 'x'));
  dir.writeFile("empty.dat", "");
  dir.writeFile("no extension", "1234567");
  dir.writeFile("ro.dat", "12");
  makeReadOnly(dir / "ro.dat");
  dir.writeFile("sub/inner.dat", "x");
  auto fs = makeNativeFileSystem();

  const auto seen = listAll(*fs, dir.path(), true);
  ASSERT_EQ(seen.size(), 7u);
  for (const auto& [name, one] : seen) EXPECT_EQ(one.times, 1) << name;
  EXPECT_TRUE(seen.at(".").isDirectory);
  EXPECT_TRUE(seen.at("..").isDirectory);
  EXPECT_TRUE(seen.at("sub").isDirectory);
  EXPECT_FALSE(seen.at("sub").isForeignDirectory);
  EXPECT_EQ(seen.at("a.txt").size, 300u);
  EXPECT_EQ(seen.at("empty.dat").size, 0u);
  EXPECT_EQ(seen.at("no extension").size, 7u);
  EXPECT_EQ(seen.at("ro.dat").size, 2u);
  EXPECT_FALSE(seen.at("ro.dat").isDirectory);

  // A trailing separator names the same folder; sizes only when asked for.
  const auto again = listAll(*fs, dir.path() + PathStyle::native().separator(), false);
  ASSERT_EQ(again.size(), 7u);
  EXPECT_EQ(again.at("a.txt").size, 0u);
  EXPECT_FALSE(again.at("a.txt").isDirectory);
}

TEST(FileSystemContract, SizesBeyondFourGibibytesAreReportedWhole) {
  TempDir dir;
  dir.writeFile("big.dat", "");
  constexpr std::uint64_t kBig = (std::uint64_t{5} << 30) + 7;
  std::error_code error;
  std::filesystem::resize_file(dir / "big.dat", kBig, error);  // sparse where it can be
  if (error) GTEST_SKIP() << "no room for a sparse 5 GiB file here: " << error.message();
  auto fs = makeNativeFileSystem();
  EXPECT_EQ(listAll(*fs, dir.path(), true).at("big.dat").size, kBig);
  PathAttributes attributes;
  ASSERT_TRUE(fs->attributes(join(dir.path(), "big.dat"), attributes));
  EXPECT_EQ(attributes.size, kBig);
}

TEST(FileSystemContract, AnEmptyFolderListsOnlyItsDotsAndMissingOnesNothing) {
  TempDir dir;
  dir.writeFile("file.dat", "x");
  auto fs = makeNativeFileSystem();
  ASSERT_EQ(fs->createFolder(dir / "empty"), 0);
  const auto seen = listAll(*fs, join(dir.path(), "empty"), true);
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen.count("."), 1u);
  EXPECT_EQ(seen.count(".."), 1u);

  int error = 0;
  EXPECT_EQ(fs->listFolder(join(dir.path(), "missing"), false, error), nullptr);
  EXPECT_EQ(error, winerr::kPathNotFound);
  EXPECT_EQ(fs->listFolder(join(join(dir.path(), "missing"), "deeper"), false, error), nullptr);
  EXPECT_EQ(error, winerr::kPathNotFound);
  EXPECT_EQ(fs->listFolder(join(dir.path(), "file.dat"), false, error), nullptr);
  EXPECT_NE(error, 0);
}

TEST(FileSystemContract, AttributesOfFilesFoldersAndReadOnlyFiles) {
  TempDir dir;
  dir.writeFile("plain.dat", std::string(5000, 'p'));
  dir.writeFile("ro.dat", "r");
  makeReadOnly(dir / "ro.dat");
  dir.writeFile("folder/x", "");
  auto fs = makeNativeFileSystem();

  PathAttributes attributes;
  ASSERT_TRUE(fs->attributes(join(dir.path(), "plain.dat"), attributes));
  EXPECT_FALSE(attributes.isDirectory);
  EXPECT_FALSE(attributes.readOnly);
  EXPECT_EQ(attributes.size, 5000u);

  ASSERT_TRUE(fs->attributes(join(dir.path(), "ro.dat"), attributes));
  EXPECT_TRUE(attributes.readOnly);
  EXPECT_FALSE(attributes.isDirectory);

  attributes = {};
  ASSERT_TRUE(fs->attributes(join(dir.path(), "folder"), attributes));
  EXPECT_TRUE(attributes.isDirectory);
  ASSERT_TRUE(fs->attributes(join(join(dir.path(), "folder"), ""), attributes));
  EXPECT_TRUE(attributes.isDirectory);

  EXPECT_FALSE(fs->attributes(join(dir.path(), "missing"), attributes));
  EXPECT_FALSE(fs->attributes(join(join(dir.path(), "missing"), "x"), attributes));
}

TEST(FileSystemContract, FolderChainsAreMadeOneLevelAtATime) {
  TempDir dir;
  dir.writeFile("taken.dat", "");
  auto fs = makeNativeFileSystem();
  const std::string outer = join(dir.path(), "Windows emul");
  const std::string inner = join(outer, "qhxbmwlp");

  // A folder whose parent is missing is refused; made in order, the chain succeeds.
  EXPECT_EQ(fs->createFolder(inner), winerr::kPathNotFound);
  EXPECT_EQ(fs->createFolder(outer), 0);
  EXPECT_EQ(fs->createFolder(inner), 0);
  PathAttributes attributes;
  ASSERT_TRUE(fs->attributes(inner, attributes));
  EXPECT_TRUE(attributes.isDirectory);

  EXPECT_EQ(fs->createFolder(outer), winerr::kAlreadyExists);
  EXPECT_EQ(fs->createFolder(join(dir.path(), "taken.dat")), winerr::kAlreadyExists);
}

TEST(FileSystemContract, CreateReplacesAndWritesBlocksAsAsked) {
  TempDir dir;
  dir.writeFile("f.dat", std::string(9000, 'o'));
  auto fs = makeNativeFileSystem();
  const std::string path = join(dir.path(), "f.dat");

  int error = -1;
  auto file = fs->createFile(path, error);
  ASSERT_TRUE(file);
  EXPECT_EQ(error, 0);
  std::string expected;
  for (const std::size_t block : {std::size_t{2048}, std::size_t{2048}, std::size_t{904}}) {
    const std::string bytes(block, static_cast<char>('a' + expected.size() % 26));
    std::size_t written = 0;
    EXPECT_EQ(file->write(bytes.data(), bytes.size(), written), 0);
    EXPECT_EQ(written, block);
    expected += bytes;
  }
  std::size_t written = 99;
  EXPECT_EQ(file->write(expected.data(), 0, written), 0);
  EXPECT_EQ(written, 0u);

  // Others may read and write the file while it is open.
  std::string seenMeanwhile;
  EXPECT_EQ(fs->readFile(path, seenMeanwhile), 0);
  int secondError = -1;
  EXPECT_TRUE(fs->createFile(join(dir.path(), "f.dat"), secondError) != nullptr);
  EXPECT_EQ(secondError, 0);

  EXPECT_EQ(file->close(), 0);
  EXPECT_EQ(file->close(), 0);
  // The second creation truncated what the first had written.
  EXPECT_EQ(dir.readFile("f.dat"), "");

  auto fresh = fs->createFile(path, error);
  ASSERT_TRUE(fresh);
  EXPECT_EQ(fresh->write(expected.data(), expected.size(), written), 0);
  EXPECT_EQ(fresh->close(), 0);
  EXPECT_EQ(dir.readFile("f.dat"), expected);

  auto empty = fs->createFile(join(dir.path(), "new.dat"), error);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->close(), 0);
  PathAttributes attributes;
  ASSERT_TRUE(fs->attributes(join(dir.path(), "new.dat"), attributes));
  EXPECT_EQ(attributes.size, 0u);
}

TEST(FileSystemContract, AReservedRangeSaysWhetherItWasPlacedAndReadsAsZeros) {
  TempDir dir;
  auto fs = makeNativeFileSystem();
  const std::string path = join(dir.path(), "placed.dat");
  int error = -1;
  auto file = fs->createFile(path, error);
  ASSERT_TRUE(file);
  bool placed = false;
  EXPECT_EQ(file->reserve(4096, 8192, placed), 0);
  EXPECT_EQ(file->close(), 0);
  if (placed) {
    EXPECT_EQ(dir.readFile("placed.dat"), std::string(12288, '\0'));
  }
#ifndef _WIN32
  // What the volume says this user can do is what the file finds.
  EXPECT_EQ(placed, nativeVolume().abilities(dir.path()).placement != RangePlacement::None);
#endif
}

TEST(FileSystemContract, CreateNewRefusesWhatIsThereAndNeverWritesThroughALink) {
  TempDir dir;
  dir.writeFile("taken.dat", "keep me");
  auto fs = makeNativeFileSystem();
  int error = 0;
  EXPECT_EQ(fs->createNewFile(join(dir.path(), "taken.dat"), error), nullptr);
  EXPECT_EQ(error, winerr::kFileExists);
  EXPECT_EQ(dir.readFile("taken.dat"), "keep me");

  auto made = fs->createNewFile(join(dir.path(), "new.dat"), error);
  ASSERT_TRUE(made);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(made->close(), 0);

  std::error_code linkError;
  std::filesystem::create_symlink(dir / "outside.dat", dir / "link.dat", linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links here: " << linkError.message();
  for (const bool confined : {false, true}) {
    if (confined) fs->confineTo(dir.path() + PathStyle::native().separator());
    EXPECT_EQ(fs->createNewFile(join(dir.path(), "link.dat"), error), nullptr);
    EXPECT_EQ(error, winerr::kFileExists);
    EXPECT_FALSE(std::filesystem::exists(dir / "outside.dat"));
  }
}

TEST(FileSystemContract, ReadsFilesByteForByte) {
  TempDir dir;
  std::string bytes = "4096\t120\r\nline\rtwo\n\x1a rest";
  bytes += std::string(1, '\0') + "\xff\x80";
  // Longer than one read, so the pieces must join up.
  for (int i = 0; bytes.size() < 200000; ++i) bytes += static_cast<char>(i * 7);
  dir.writeFile("template.fs", bytes);
  dir.writeFile("empty.fs", "");
  auto fs = makeNativeFileSystem();
  std::string contents = "left over";
  EXPECT_EQ(fs->readFile(join(dir.path(), "template.fs"), contents), 0);
  EXPECT_EQ(contents, bytes);
  EXPECT_EQ(fs->readFile(join(dir.path(), "empty.fs"), contents), 0);
  EXPECT_EQ(contents, "");
}

TEST(FileSystemContract, RefusalsGiveTheWindowsErrorNumbers) {
  TempDir dir;
  dir.writeFile("ro.dat", "keep me");
  makeReadOnly(dir / "ro.dat");
  dir.writeFile("folder/x", "");
  auto fs = makeNativeFileSystem();
  const std::string missingFile = join(dir.path(), "missing.fs");
  const std::string inMissingFolder = join(join(dir.path(), "nofolder"), "missing.fs");
  const std::string folder = join(dir.path(), "folder");
  const std::string readOnly = join(dir.path(), "ro.dat");

  std::string contents;
  EXPECT_EQ(fs->readFile(missingFile, contents), winerr::kFileNotFound);
  EXPECT_EQ(fs->readFile(inMissingFolder, contents), winerr::kPathNotFound);
  EXPECT_EQ(fs->readFile(folder, contents), winerr::kAccessDenied);

  int error = 0;
  EXPECT_EQ(fs->createFile(inMissingFolder, error), nullptr);
  EXPECT_EQ(error, winerr::kPathNotFound);
  EXPECT_EQ(fs->createFile(folder, error), nullptr);
  EXPECT_EQ(error, winerr::kAccessDenied);
  EXPECT_EQ(fs->createFile(join(dir.path(), invalidName()), error), nullptr);
  EXPECT_EQ(error, winerr::kInvalidName);
  // A NUL would cut the name short and create another file.
  EXPECT_EQ(fs->createFile(join(dir.path(), std::string("a\0b", 3)), error), nullptr);
  EXPECT_EQ(error, winerr::kInvalidName);
  PathAttributes attributes;
  EXPECT_FALSE(fs->attributes(join(dir.path(), "a"), attributes));

  EXPECT_EQ(fs->deleteFile(missingFile), winerr::kFileNotFound);
  EXPECT_EQ(fs->deleteFile(inMissingFolder), winerr::kPathNotFound);
  EXPECT_EQ(fs->deleteFile(folder), winerr::kAccessDenied);
  EXPECT_EQ(fs->deleteFile(readOnly), winerr::kAccessDenied);
  EXPECT_EQ(dir.readFile("ro.dat"), "keep me");
}

TEST(FileSystemContract, AReadOnlyFileIsNotReplaced) {
  if (runningUnderWine()) {
    GTEST_SKIP() << "Wine run by root replaces read-only files, which Windows refuses";
  }
  TempDir dir;
  dir.writeFile("ro.dat", "keep me");
  makeReadOnly(dir / "ro.dat");
  auto fs = makeNativeFileSystem();
  int error = 0;
  EXPECT_EQ(fs->createFile(join(dir.path(), "ro.dat"), error), nullptr);
  EXPECT_EQ(error, winerr::kAccessDenied);
  EXPECT_EQ(dir.readFile("ro.dat"), "keep me");
}

TEST(FileSystemContract, DeletionRemovesTheFileAndLeavesItsFolder) {
  TempDir dir;
  dir.writeFile("folder/doomed.dat", "bytes");
  dir.writeFile("folder/kept.dat", "bytes");
  auto fs = makeNativeFileSystem();
  const std::string folder = join(dir.path(), "folder");
  EXPECT_EQ(fs->deleteFile(join(folder, "doomed.dat")), 0);
  EXPECT_EQ(fs->deleteFile(join(folder, "doomed.dat")), winerr::kFileNotFound);
  const auto seen = listAll(*fs, folder, false);
  EXPECT_EQ(seen.count("doomed.dat"), 0u);
  EXPECT_EQ(seen.count("kept.dat"), 1u);
  PathAttributes attributes;
  ASSERT_TRUE(fs->attributes(folder, attributes));
  EXPECT_TRUE(attributes.isDirectory);
}

TEST(FileSystemContract, AReplacementTakesThePlaceOnlyWhenClosedAndConfinementKeepsTheRest) {
  TempDir dir;
  const auto fs = makeNativeFileSystem();
  const std::string path = join(dir.path(), "t.fs");
  dir.writeFile("t.fs", "old");
  int error = 0;
  auto file = fs->replaceFile(path, error);
  ASSERT_TRUE(file) << error;
  std::size_t written = 0;
  ASSERT_EQ(file->write("new", 3, written), 0);
  EXPECT_EQ(dir.readFile("t.fs"), "old");
  ASSERT_EQ(file->close(), 0);
  EXPECT_EQ(dir.readFile("t.fs"), "new");
  file = fs->replaceFile(path, error);
  ASSERT_TRUE(file) << error;
  file->write("lost", 4, written);
  file.reset();
  EXPECT_EQ(dir.readFile("t.fs"), "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);

  // Confined to the folder, a normal tree is made, written and deleted as before.
  fs->confineTo(join(dir.path(), ""));
  EXPECT_EQ(fs->createFolder(join(dir.path(), "a")), 0);
  auto made = fs->createFile(join(join(dir.path(), "a"), "f.DAT"), error);
  ASSERT_TRUE(made) << error;
  ASSERT_EQ(made->close(), 0);
  EXPECT_EQ(fs->deleteFile(join(join(dir.path(), "a"), "f.DAT")), 0);
  EXPECT_EQ(fs->deleteFile(join(join(dir.path(), "a"), "f.DAT")), winerr::kFileNotFound);
  fs->confineTo(std::nullopt);
}

TEST(FileSystemContract, ARenameReplacesInOneStepAndAnAppendGrowsTheFileInPlace) {
  TempDir dir;
  dir.writeFile("staging/new.dat", "new");
  dir.writeFile("home/old.dat", "old");
  const auto fs = makeNativeFileSystem();
  const std::string staged = join(join(dir.path(), "staging"), "new.dat");
  const std::string home = join(join(dir.path(), "home"), "old.dat");
  for (const bool confined : {false, true}) {
    if (confined) fs->confineTo(join(dir.path(), ""));
    ASSERT_EQ(fs->renameFile(staged, home), 0) << confined;
    EXPECT_EQ(dir.readFile("home/old.dat"), "new");
    EXPECT_EQ(fs->renameFile(staged, home), winerr::kFileNotFound);
    int error = 0;
    auto grown = fs->appendToFile(home, error);
    ASSERT_TRUE(grown) << error;
    std::size_t written = 0;
    ASSERT_EQ(grown->write("+", 1, written), 0);
    ASSERT_EQ(grown->writeOut(), 0);
    ASSERT_EQ(grown->close(), 0);
    EXPECT_EQ(dir.readFile("home/old.dat"), "new+");
    EXPECT_EQ(fs->appendToFile(staged, error), nullptr);
    EXPECT_EQ(error, winerr::kFileNotFound);
    dir.writeFile("staging/new.dat", "new");
  }
  fs->confineTo(std::nullopt);
}

}  // namespace
}  // namespace brimwell
