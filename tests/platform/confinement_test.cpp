// What the POSIX backend does below a target it is confined to: links planted where a
// folder or a file should be are refused and nothing goes through them, while the links
// the user named in the target are followed. And a file replaced in one piece.
#ifndef _WIN32

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>

#include "platform/atomic_replace.h"
#include "platform/posix_file_system.h"
#include "platform/windows_errors.h"
#include "support/temp_dir.h"

namespace brimwell {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

int create(FileSystem& files, const std::string& path, const std::string& bytes) {
  int error = 0;
  auto file = files.createFile(path, error);
  if (!file) return error;
  std::size_t written = 0;
  file->write(bytes.data(), bytes.size(), written);
  return file->close();
}

// A target "out/" with a folder "out/real/", and "elsewhere/" holding a file the user
// cares about; the test plants links inside the target.
struct Planted {
  TempDir dir;
  PosixFileSystem files;
  Planted() {
    dir.writeFile("out/real/kept.DAT", "mine");
    dir.writeFile("elsewhere/precious", "precious");
    files.confineTo(dir / "out/");
  }
};

TEST(Confinement, ALinkedFolderOrFileBelowTheTargetIsRefusedAndNothingGoesThroughIt) {
  Planted p;
  fs::create_directory_symlink(p.dir / "elsewhere", p.dir / "out/linked");
  fs::create_symlink(p.dir / "elsewhere/precious", p.dir / "out/real/file.DAT");

  EXPECT_EQ(create(p.files, p.dir / "out/linked/new.DAT", "x"), winerr::kAccessDenied);
  EXPECT_EQ(p.files.createFolder(p.dir / "out/linked/sub"), winerr::kAccessDenied);
  EXPECT_EQ(create(p.files, p.dir / "out/real/file.DAT", "x"), winerr::kAccessDenied);
  EXPECT_EQ(p.files.deleteFile(p.dir / "out/linked/precious"), winerr::kAccessDenied);
  EXPECT_EQ(p.dir.readFile("elsewhere/precious"), "precious");
  EXPECT_FALSE(fs::exists(p.dir / "elsewhere/new.DAT"));
  EXPECT_FALSE(fs::exists(p.dir / "elsewhere/sub"));

  // Nothing is moved into or out of a linked folder, and a link is not grown.
  p.dir.writeFile("out/real/staged.DAT", "staged");
  EXPECT_EQ(p.files.renameFile(p.dir / "out/real/staged.DAT", p.dir / "out/linked/precious"),
            winerr::kAccessDenied);
  EXPECT_EQ(p.files.renameFile(p.dir / "out/linked/precious", p.dir / "out/real/taken.DAT"),
            winerr::kAccessDenied);
  int error = 0;
  EXPECT_EQ(p.files.appendToFile(p.dir / "out/real/file.DAT", error), nullptr);
  EXPECT_EQ(error, winerr::kAccessDenied);
  EXPECT_EQ(p.dir.readFile("elsewhere/precious"), "precious");

  // A listed file that is itself a link goes as the link; what it led to stays.
  EXPECT_EQ(p.files.deleteFile(p.dir / "out/real/file.DAT"), 0);
  EXPECT_FALSE(fs::is_symlink(p.dir / "out/real/file.DAT"));
  EXPECT_EQ(p.dir.readFile("elsewhere/precious"), "precious");

  // A normal tree works as before, with the same error numbers.
  EXPECT_EQ(create(p.files, p.dir / "out/real/kept.DAT", "new"), 0);
  EXPECT_EQ(p.dir.readFile("out/real/kept.DAT"), "new");
  EXPECT_EQ(p.files.createFolder(p.dir / "out/made"), 0);
  EXPECT_EQ(p.files.createFolder(p.dir / "out/made"), winerr::kAlreadyExists);
  EXPECT_EQ(create(p.files, p.dir / "out/missing/a.DAT", "x"), winerr::kPathNotFound);
  EXPECT_EQ(p.files.deleteFile(p.dir / "out/real/none.DAT"), winerr::kFileNotFound);
  EXPECT_EQ(p.files.deleteFile(p.dir / "out/missing/none.DAT"), winerr::kPathNotFound);
  EXPECT_EQ(p.files.deleteFile(p.dir / "out/real/kept.DAT"), 0);

  // Set free, links are followed again.
  p.files.confineTo(std::nullopt);
  EXPECT_EQ(create(p.files, p.dir / "out/linked/new.DAT", "x"), 0);
  EXPECT_TRUE(fs::exists(p.dir / "elsewhere/new.DAT"));
}

TEST(Confinement, LinksInTheTargetTheUserNamedAreFollowed) {
  TempDir dir;
  fs::create_directories(dir / "disk/scratch");
  fs::create_directory_symlink(dir / "disk", dir / "mnt");
  PosixFileSystem files;
  files.confineTo(dir / "mnt/scratch/");
  EXPECT_EQ(files.createFolder(dir / "mnt/scratch/Windows emul"), 0);
  EXPECT_EQ(create(files, dir / "mnt/scratch/Windows emul/a.DAT", "x"), 0);
  EXPECT_EQ(dir.readFile("disk/scratch/Windows emul/a.DAT"), "x");
  // A target still to be made: its folders are made from the deepest that exists.
  files.confineTo(dir / "mnt/new/");
  EXPECT_EQ(files.createFolder(dir / "mnt/new"), 0);
  EXPECT_TRUE(fs::is_directory(dir / "disk/new"));
  // A drive mapped to a folder is trusted as the drive it stands for.
  files.mapDrive('d', dir / "mnt");
  files.confineTo("d:\\");
  EXPECT_EQ(create(files, "d:\\scratch\\b.DAT", "y"), 0);
  EXPECT_EQ(dir.readFile("disk/scratch/b.DAT"), "y");
}

TEST(Confinement, TheFoldersKeptOpenAreOpenedAfreshWhenTheyAreRemoved) {
  TempDir dir;
  PosixFileSystem files;
  files.confineTo(dir.path() + "/");
  fs::create_directory(dir / "f");
  EXPECT_EQ(create(files, dir / "f/1.DAT", "1"), 0);
  fs::remove_all(dir / "f");
  fs::create_directory(dir / "f");
  EXPECT_EQ(create(files, dir / "f/2.DAT", "2"), 0);
  EXPECT_EQ(dir.readFile("f/2.DAT"), "2");

  // So is an enclosing folder kept open, and a link put in its place is refused.
  fs::create_directories(dir / "f/a/b");
  fs::create_directory(dir / "elsewhere");
  EXPECT_EQ(create(files, dir / "f/a/b/3.DAT", "3"), 0);
  fs::remove_all(dir / "f/a");
  fs::create_directory_symlink(dir / "elsewhere", dir / "f/a");
  EXPECT_EQ(files.createFolder(dir / "f/a/c"), winerr::kAccessDenied);
  EXPECT_EQ(create(files, dir / "f/a/4.DAT", "4"), winerr::kAccessDenied);
  EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
  fs::remove(dir / "f/a");
  fs::create_directories(dir / "f/a/c");
  EXPECT_EQ(create(files, dir / "f/a/c/5.DAT", "5"), 0);
  EXPECT_EQ(dir.readFile("f/a/c/5.DAT"), "5");
}

TEST(Replacement, ANewFileTakesThePlaceWholeKeepingPermissionsAndTheLink) {
  TempDir dir;
  dir.writeFile("real.fs", "old");
  ::chmod((dir / "real.fs").c_str(), 0640);
  fs::create_symlink(dir / "real.fs", dir / "link.fs");
  PosixFileSystem files;

  int error = 0;
  auto file = files.replaceFile(dir / "link.fs", error);
  ASSERT_TRUE(file) << error;
  std::size_t written = 0;
  ASSERT_EQ(file->write("new", 3, written), 0);
  EXPECT_EQ(dir.readFile("real.fs"), "old");  // nothing changes until it is closed
  ASSERT_EQ(file->close(), 0);
  EXPECT_EQ(dir.readFile("real.fs"), "new");
  EXPECT_TRUE(fs::is_symlink(dir / "link.fs"));
  struct stat st {};
  ASSERT_EQ(::stat((dir / "real.fs").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // Given up before closing: the old file stays and no new one is left.
  file = files.replaceFile(dir / "real.fs", error);
  ASSERT_TRUE(file);
  file->write("partial", 7, written);
  file.reset();
  EXPECT_EQ(dir.readFile("real.fs"), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);

  // A read-only file and a folder are refused as before.
  ::chmod((dir / "real.fs").c_str(), 0444);
  EXPECT_FALSE(files.replaceFile(dir / "real.fs", error));
  EXPECT_EQ(error, winerr::kAccessDenied);
  EXPECT_FALSE(files.replaceFile(dir.path(), error));
  EXPECT_EQ(error, winerr::kAccessDenied);
}

TEST(Replacement, ALinkPlantedBesideTheFileIsNotWrittenThrough) {
  TempDir dir;
  dir.writeFile("list.txt", "old");
  dir.writeFile("victim", "victim");
  fs::create_symlink(dir / "victim", dir / "list.txt.new");
  int error = 0;
  auto file = ReplacementFile::open(dir / "list.txt", error);
  ASSERT_TRUE(file) << error;
  std::size_t written = 0;
  file->write("fresh", 5, written);
  ASSERT_EQ(file->close(), 0);
  EXPECT_EQ(dir.readFile("list.txt"), "fresh");
  EXPECT_EQ(dir.readFile("victim"), "victim");
  EXPECT_TRUE(fs::is_symlink(dir / "list.txt.new"));
}

// Where a replacement follows a link at its name: everywhere the user named the file, except
// in a sticky folder everyone may write to, where the link must be the user's own or the
// folder owner's; nowhere for a file the tool names itself.
TEST(Replacement, LinksAreFollowedByTheSharedFolderRule) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving links to other users needs root";
  TempDir dir;
  dir.writeFile("victim", "victim");
  struct Case {
    mode_t folderMode;
    uid_t folderOwner;
    uid_t linkOwner;
    bool followed;
  };
  const uid_t other = 1234;
  const uid_t nobody = 65534;
  for (const Case& c : {Case{01777, 0, other, false}, Case{01777, nobody, nobody, true},
                        Case{01777, nobody, 0, true}, Case{0777, 0, other, true}}) {
    const std::string folder = dir / "f";
    fs::create_directory(folder);
    ::chown(folder.c_str(), c.folderOwner, 0);
    ::chmod(folder.c_str(), c.folderMode);
    fs::create_symlink(dir / "victim", folder + "/list.txt");
    ::lchown((folder + "/list.txt").c_str(), c.linkOwner, 0);
    std::string destination;
    const int error =
        replacementDestination(folder + "/list.txt", LinkAtName::FollowProtected, destination);
    EXPECT_EQ(error == 0, c.followed) << c.folderMode << " " << c.linkOwner;
    EXPECT_EQ(destination, c.followed ? dir / "victim" : "");
    EXPECT_EQ(replaceFileWithText(folder + "/list.txt", "new", LinkAtName::Refuse),
              winerr::kAccessDenied);
    fs::remove_all(folder);
  }
  EXPECT_EQ(dir.readFile("victim"), "victim");
}

}  // namespace
}  // namespace brimwell

#endif
