// What the command line does with the files it replaces (lists, templates, pictures) when
// others share the folder: links planted there, lists that still name files, new lists left
// by a killed command, and the words a refusal is told in.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/read_limit.h"
#include "cli/cli_fixture.h"
#include "support/contains.h"
#include "support/small_drive.h"

namespace brimwell::testing {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kNobody = 65534;

// Runs `act` as the user `uid` in a child process; true when it succeeded there.
bool asUser(unsigned uid, const std::function<bool()>& act) {
  const pid_t child = ::fork();
  if (child == 0) {
    const bool done = ::setresgid(uid, uid, uid) == 0 && ::setresuid(uid, uid, uid) == 0 && act();
    ::_exit(done ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// A folder everyone may write to, with the sticky bit, as /tmp is; its parents open to all.
class SharedFolderTest : public CliTest {
 protected:
  SharedFolderTest() {
    fs::create_directory(shared());
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(shared().c_str(), 01777);
    dir.writeFile("victim", "precious\n");
  }
  std::string shared() const { return path("shared"); }
  // `name` in the shared folder made a link to `to` (the victim) by the user `uid`.
  bool plant(const std::string& name, unsigned uid, const std::string& to = "victim") const {
    const std::string link = shared() + "/" + name;
    const std::string victim = path(to);
    return asUser(uid, [&] { return ::symlink(victim.c_str(), link.c_str()) == 0; });
  }
};

TEST_F(SharedFolderTest, ALinkPlantedByAnotherUserIsNeverWrittenThrough) {
  BRIMWELL_REQUIRE_ROOT(::geteuid() == 0, "planting a link as another user needs root");
  ASSERT_TRUE(plant("scratch.brimwell-list.txt", kNobody));
  ASSERT_TRUE(plant("job.txt", kNobody));
  ASSERT_TRUE(plant("saved.fs", kNobody));
  ASSERT_TRUE(plant("picture.svg", kNobody));

  // The list beside the target, which the user never named.
  const CliRun beside = runCli({"run", "--template", templatePath(), "--target",
                                shared() + "/scratch/", "--files", "5", "--seed", "1", "--yes"});
  EXPECT_EQ(beside.exitCode, 1);
  EXPECT_TRUE(contains(beside.err, "Cannot write the file list '" + shared() +
                                       "/scratch.brimwell-list.txt': it is a symbolic link, "
                                       "not followed"))
      << beside.err;
  EXPECT_FALSE(fs::exists(shared() + "/scratch"));

  // Files the user named follow a link only where the shared-folder rule allows.
  const std::vector<CliRun> named = {
      runCli({"build", "--template", templatePath(), "--list", shared() + "/job.txt", "--target",
              target(), "--files", "5", "--seed", "1"}),
      runCli({"census", path("."), "--template", templatePath(), "--save", shared() + "/saved.fs"}),
      runCli({"measure", dir.path(), "--svg", shared() + "/picture.svg"})};
  for (const CliRun& run : named) {
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(contains(run.err, "sticky folder that everyone may write to")) << run.err;
  }
  EXPECT_EQ(read("victim"), "precious\n");

  // A link of the user's own in the same folder is followed, and stays a link.
  ASSERT_TRUE(plant("mine.txt", 0, "mine.txt"));
  ASSERT_EQ(runCli({"build", "--template", templatePath(), "--list", shared() + "/mine.txt",
                    "--target", target(), "--files", "5", "--seed", "1"})
                .exitCode,
            0);
  EXPECT_TRUE(fs::is_symlink(shared() + "/mine.txt"));
  EXPECT_EQ(entriesOf(read("mine.txt")).size(), 5u);
}

TEST_F(CliTest, AListThatStillNamesFilesOnDiskIsNotReplaced) {
  ASSERT_EQ(build("a.txt", "1", 20).exitCode, 0);
  const std::string first = read("a.txt");
  // Built but not written: nothing on disk, so a new build may take its place.
  ASSERT_EQ(build("a.txt", "1", 20).exitCode, 0);
  ASSERT_EQ(runCli({"reproduce", "--list", path("a.txt"), "--seed", "1", "--yes"}).exitCode, 0);
  const auto written = filesOnDisk();

  const CliRun again = build("a.txt", "2", 20);
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_TRUE(contains(again.err, "The file list '" + path("a.txt") + "' still names " +
                                      std::to_string(written.size()) + " of its 20 files"))
      << again.err;
  EXPECT_TRUE(contains(again.err, "brimwell-cli erase --list " + path("a.txt") + " --yes"));
  const CliRun run = runCli({"run", "--template", templatePath(), "--target", target(), "--list",
                             path("a.txt"), "--files", "5", "--seed", "2", "--yes"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.err, "still names")) << run.err;
  EXPECT_EQ(read("a.txt"), first);
  EXPECT_EQ(filesOnDisk(), written);

  // Run twice beside the target: the second run stops, or with --append adds its files to
  // the list, so that one erase removes both runs' files.
  ASSERT_EQ(runCli({"erase", "--list", path("a.txt"), "--yes"}).exitCode, 0);
  const auto runSeeded = [&](const char* seed, bool append) {
    std::vector<std::string> arguments = {"run",    "--template", templatePath(), "--target",
                                          target(), "--files",    "30",           "--percent",
                                          "10",     "--yes",      "--seed",       seed};
    if (append) arguments.push_back("--append");
    return runCli(arguments);
  };
  ASSERT_EQ(runSeeded("1", false).exitCode, 0);
  const std::size_t firstRun = filesOnDisk().size();
  EXPECT_EQ(runSeeded("2", false).exitCode, 1);
  const CliRun appended = runSeeded("2", true);
  ASSERT_EQ(appended.exitCode, 0) << appended.err;
  const std::string beside = dir.path() + "/drive.brimwell-list.txt";
  const std::string listed = dir.readFile("drive.brimwell-list.txt");
  for (const auto& [file, bytes] : filesOnDisk()) {
    EXPECT_TRUE(contains(listed, path(file) + "\t")) << file;
  }
  EXPECT_GT(filesOnDisk().size(), firstRun);
  ASSERT_EQ(runCli({"erase", "--list", beside, "--yes"}).exitCode, 0);
  EXPECT_TRUE(filesOnDisk().empty());
}

// A list is read whole whatever its size: the cap on templates and profiles is not for lists,
// which the tool itself writes up to a million entries long.
TEST_F(CliTest, AListLargerThanATemplateMayBeIsStillErased) {
  std::string text = "# target: " + target() + "\n";
  const std::string folder = target() + std::string(200, 'd') + "/";
  for (int i = 0; text.size() <= kReadWholeLimit; ++i) {
    text += folder + std::to_string(i) + ".DAT\t1\n";
  }
  dir.writeFile("big.txt", text);
  const CliRun erase = runCli({"erase", "--list", path("big.txt"), "--yes"});
  EXPECT_EQ(erase.exitCode, 0) << erase.err;
  EXPECT_TRUE(contains(erase.out, "is now empty")) << erase.out;
}

TEST_F(CliTest, ALockTakenRemovesOnlyTheNewListsAKilledCommandLeft) {
  ASSERT_EQ(build("a.txt", "1", 5).exitCode, 0);
  dir.writeFile("victim", "precious\n");
  const std::vector<std::string> left = {".a.txt.brimwell-new.Ab12Cd",
                                         ".a.txt.brimwell-new.zzzzzz"};
  const std::vector<std::string> kept = {".a.txt.brimwell-new.Ab12C", ".a.txt.Ab12Cd",
                                         ".b.txt.brimwell-new.Ab12Cd",
                                         ".a.txt.brimwell-new.link12"};
  for (const std::string& name : left) dir.writeFile(name, "half a list");
  for (const std::string& name : kept) dir.writeFile(name, "someone's");
  fs::remove(path(".a.txt.brimwell-new.link12"));
  fs::create_symlink(path("victim"), path(".a.txt.brimwell-new.link12"));

  ASSERT_EQ(runCli({"erase", "--list", path("a.txt"), "--yes"}).exitCode, 0);
  for (const std::string& name : left) EXPECT_FALSE(fs::exists(path(name))) << name;
  for (const std::string& name : kept)
    EXPECT_TRUE(fs::is_symlink(path(name)) || fs::exists(path(name))) << name;
}

TEST_F(CliTest, RefusalsSayWhatHappenedInWords) {
  SmallDrive readOnly(1 << 20, true);
  BRIMWELL_REQUIRE_ROOT(readOnly.mounted(), "mounting a tmpfs needs root");
  const std::string list = readOnly.path("job.txt");
  const CliRun locked = runCli({"build", "--template", templatePath(), "--list", list, "--target",
                                target(), "--files", "5"});
  EXPECT_EQ(locked.exitCode, 1);
  EXPECT_TRUE(contains(locked.err, "its lock file '" + list +
                                       ".lock' cannot be made: read-only file system (errno 30)"))
      << locked.err;
  const CliRun saved =
      runCli({"census", path("."), "--template", templatePath(), "--save", readOnly.path("t.fs")});
  EXPECT_EQ(saved.exitCode, 1);
  EXPECT_TRUE(contains(saved.err, "File access denied: read-only file system (errno 30)"))
      << saved.err;
  ASSERT_EQ(runCli({"build", "--template", templatePath(), "--list", path("ro.txt"), "--target",
                    readOnly.path("t/"), "--files", "3", "--folders", "1", "--seed", "1"})
                .exitCode,
            0);
  const CliRun written = runCli({"reproduce", "--list", path("ro.txt"), "--yes"});
  EXPECT_EQ(written.exitCode, 1);
  EXPECT_TRUE(contains(written.err, "cannot be made: read-only file system (errno 30)"))
      << written.err;

  // A lock file that is a link or a socket is no lock file.
  dir.writeFile("victim", "precious\n");
  fs::create_symlink(path("victim"), path("a.txt.lock"));
  const sockaddr_un address = [&] {
    sockaddr_un at{};
    at.sun_family = AF_UNIX;
    path("b.txt.lock").copy(at.sun_path, sizeof at.sun_path - 1);
    return at;
  }();
  const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  for (const auto& [name, words] : {std::pair{"a.txt", "it is a symbolic link, not followed"},
                                    std::pair{"b.txt", "it is a socket, not a regular file"}}) {
    const CliRun run = build(name, "1", 5);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.err, std::string(".lock' cannot be made: ") + words)) << run.err;
  }
  ::close(socketFd);
}

}  // namespace
}  // namespace brimwell::testing
