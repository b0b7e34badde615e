// brimwell-cli keeps to its target: the list records it, entries outside it are refused
// before anything is asked, build options cannot climb out of it, links planted inside it
// are not followed; the erase tells the truth in its exit code; one command per list.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_fixture.h"
#include "support/contains.h"

namespace brimwell::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(CliTest, ATargetWithoutTrailingSeparatorIsAFolderAndTheListRecordsIt) {
  const std::string bare = dir / "out";
  const CliRun run = runCli({"run", "--template", templatePath(), "--target", bare, "--files", "20",
                             "--seed", "1", "--yes", "--list", path("run.txt")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename().string().rfind("outWindows", 0), std::string::npos);
  }
  EXPECT_TRUE(fs::is_directory(dir / "out/Windows emul") ||
              fs::is_directory(dir / "out/Program Files emul"));
  EXPECT_TRUE(contains(run.out, "under " + bare + "/\n")) << run.out;

  ASSERT_EQ(build("a.txt", "2", 5).exitCode, 0);
  EXPECT_EQ(linesOf(read("a.txt")).front(), "# target: " + target());
}

TEST_F(CliTest, AnEntryOutsideTheTargetIsRefusedNamingItsLineBeforeAnyQuestion) {
  ASSERT_EQ(build("a.txt", "3", 6).exitCode, 0);
  dir.writeFile("victim", "precious");
  const auto lines = linesOf(read("a.txt"));
  for (const std::string& outside :
       {dir / "victim", target() + "Windows emul/../../victim", target() + "..\\victim",
        std::string("c:\\etc\\victim"), target() + "a/ ../b"}) {
    const std::string text = lines[0] + "\n" + lines[1] + "\n" + outside + "\t5\n";
    dir.writeFile("bad.txt", text);
    for (const std::string command : {"reproduce", "erase"}) {
      const CliRun run = runCli({command, "--list", path("bad.txt"), "--yes"});
      EXPECT_EQ(run.exitCode, 1) << command << " " << outside;
      EXPECT_TRUE(contains(run.err, "The file list '" + path("bad.txt") + "', line 3: '"))
          << run.err;
      EXPECT_TRUE(contains(run.err, "lies outside the target folder")) << run.err;
      EXPECT_FALSE(contains(run.err, "Proceed now?")) << run.err;
    }
    EXPECT_EQ(read("victim"), "precious");
    EXPECT_EQ(read("bad.txt"), text);
    EXPECT_FALSE(fs::exists(target()));
  }
}

TEST_F(CliTest, AListWithoutARecordedTargetNeedsOneAndItMustMatch) {
  ASSERT_EQ(build("a.txt", "3", 6).exitCode, 0);
  const auto lines = entriesOf(read("a.txt"));
  std::string handMade;
  for (const std::string& line : lines) handMade += line + "\n";
  dir.writeFile("hand.txt", handMade);
  // A template given as a list by mistake names files in the current folder.
  dir.writeFile("512", "keep");
  dir.writeFile("template-as-list.txt", "512\t10\r\n4096\t30\r\n");

  const CliRun bare = runCli({"erase", "--list", path("template-as-list.txt"), "--yes"});
  EXPECT_EQ(bare.exitCode, 1);
  EXPECT_TRUE(contains(bare.err, "does not record its target folder")) << bare.err;
  EXPECT_EQ(read("512"), "keep");
  const CliRun elsewhere =
      runCli({"erase", "--list", path("template-as-list.txt"), "--target", target(), "--yes"});
  EXPECT_EQ(elsewhere.exitCode, 1);
  EXPECT_TRUE(contains(elsewhere.err, "line 1: '512' lies outside")) << elsewhere.err;
  EXPECT_EQ(read("512"), "keep");

  const CliRun mismatch =
      runCli({"reproduce", "--list", path("a.txt"), "--target", path("other"), "--yes"});
  EXPECT_EQ(mismatch.exitCode, 1);
  EXPECT_TRUE(contains(mismatch.err, "--target names another")) << mismatch.err;

  const CliRun given = runCli(
      {"reproduce", "--list", path("hand.txt"), "--target", dir / "drive", "--seed", "1", "--yes"});
  ASSERT_EQ(given.exitCode, 0) << given.err;
  EXPECT_EQ(filesOnDisk().size(), 6u);
}

TEST_F(CliTest, RootsAndPrefixesThatClimbOutOfTheTargetAreUsageErrors) {
  for (const std::vector<std::string>& option :
       {std::vector<std::string>{"--prefix", "../../../X-"},
        {"--prefix", "a/b"},
        {"--prefix", "a\\b"},
        {"--root", "../../R:1"},
        {"--root", "a/../..:0"}}) {
    std::vector<std::string> arguments{"build",       "--template", templatePath(), "--list",
                                       path("a.txt"), "--target",   target()};
    arguments.insert(arguments.end(), option.begin(), option.end());
    const CliRun run = runCli(arguments);
    EXPECT_EQ(run.exitCode, 2) << option[1];
    EXPECT_TRUE(contains(run.err, option[0] + ": '")) << run.err;
    EXPECT_FALSE(fs::exists(path("a.txt")));
  }
}

TEST_F(CliTest, APlantedLinkInTheTargetIsNotFollowedAndTheFailureNamesTheFile) {
  ASSERT_EQ(runCli({"build", "--template", templatePath(), "--list", path("a.txt"), "--target",
                    target(), "--files", "30", "--folders", "3", "--root", "R:0", "--seed", "1"})
                .exitCode,
            0);
  dir.writeFile("elsewhere/x", "x");
  fs::create_directories(target());
  fs::create_directory_symlink(dir / "elsewhere", target() + "R");
  const CliRun run = runCli({"reproduce", "--list", path("a.txt"), "--seed", "1", "--yes"});
  EXPECT_EQ(run.exitCode, 1);
  std::string first;
  for (const std::string& line : entriesOf(read("a.txt"))) {
    if (first.empty() && contains(line, "/R/")) first = line.substr(0, line.find('\t'));
  }
  EXPECT_TRUE(contains(run.err, "brimwell-cli: reproduce: " + first +
                                    ": File access denied: its folder 'R' is a symbolic link, "
                                    "not followed.\n"))
      << run.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "elsewhere"), fs::directory_iterator()), 1);
}

TEST_F(CliTest, EraseExitsWithOneForRefusedFilesAndKeepsThemForARetry) {
  ASSERT_EQ(build("a.txt", "3", 10).exitCode, 0);
  ASSERT_EQ(runCli({"reproduce", "--list", path("a.txt"), "--seed", "1", "--yes"}).exitCode, 0);
  const auto entries = entriesOf(read("a.txt"));
  const std::string locked = entries[3].substr(0, entries[3].find('\t'));
  const std::string missing = entries[5].substr(0, entries[5].find('\t'));
  ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
  fs::remove(missing);

  const CliRun run = runCli({"erase", "--list", path("a.txt"), "--yes"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.out,
                       "Deleted 8 files; 2 listed files could not be deleted "
                       "(1 already missing)"))
      << run.out;
  EXPECT_TRUE(contains(run.err, "1 listed file exists and was not deleted: " + locked)) << run.err;
  EXPECT_EQ(read("a.txt"), "# target: " + target() + "\n" + entries[3] + "\n");

  ASSERT_EQ(::chmod(locked.c_str(), 0644), 0);
  const CliRun retry = runCli({"erase", "--list", path("a.txt"), "--yes"});
  EXPECT_EQ(retry.exitCode, 0) << retry.err;
  EXPECT_EQ(read("a.txt"), "");
  EXPECT_TRUE(filesOnDisk().empty());
}

TEST_F(CliTest, OneCommandPerListAndARewrittenListMustBeARegularFile) {
  ASSERT_EQ(build("a.txt", "3", 10).exitCode, 0);
  const std::string before = read("a.txt");
  const int held = ::open(path("a.txt.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  const CliRun busy = runCli({"sort-out", "--list", path("a.txt"), "--seed", "1", "--yes"});
  EXPECT_EQ(busy.exitCode, 1);
  EXPECT_TRUE(contains(busy.err, "is in use by another brimwell-cli command")) << busy.err;
  EXPECT_EQ(read("a.txt"), before);
  // The lock covers a list that does not exist yet.
  const int heldNew = ::open(path("new.txt.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(::flock(heldNew, LOCK_EX), 0);
  const CliRun busyNew = runCli({"run", "--template", templatePath(), "--target", target(),
                                 "--list", path("new.txt"), "--files", "5", "--yes"});
  EXPECT_EQ(busyNew.exitCode, 1);
  EXPECT_TRUE(contains(busyNew.err, "is in use by another brimwell-cli command")) << busyNew.err;
  EXPECT_FALSE(fs::exists(path("new.txt")));
  EXPECT_EQ(filesOnDisk().size(), 0u);
  ::close(heldNew);
  ::close(held);

  ASSERT_EQ(::mkfifo(path("pipe.txt").c_str(), 0644), 0);
  const CliRun pipe = runCli({"sort-out", "--list", path("pipe.txt"), "--seed", "1", "--yes"});
  EXPECT_EQ(pipe.exitCode, 1);
  EXPECT_TRUE(contains(pipe.err, "is not a regular file")) << pipe.err;
}

TEST_F(CliTest, AnEmptyLocationIsRefusedAndAClosedOutputPipeDoesNotStopTheSave) {
  const CliRun empty = runCli({"census", "", "--template", templatePath()});
  EXPECT_EQ(empty.exitCode, 3);
  EXPECT_TRUE(contains(empty.err, "Enter file path to scan (or disk drive letter)")) << empty.err;

  dir.writeFile("walked/a", "12345");
  const std::string command = "'" + std::string(BRIMWELL_CLI_PATH) + "' census '" + dir / "walked" +
                              "' --template '" + templatePath() + "' --save '" + path("saved.fs") +
                              "' 2>/dev/null | true";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(read("saved.fs"), "512\t1\tsmall\r\n4096\t0\r\n65536\t0\tlarge\r\n");
}

TEST_F(CliTest, CellsQuotedInMessagesAreEscapedAndCut) {
  dir.writeFile("bad.fs",
                std::string("512\t1\r\n1024\tx\x01y\0z", 17) + std::string(300, 'w') + "\r\n");
  const CliRun run = runCli({"build", "--template", path("bad.fs"), "--list", path("a.txt"),
                             "--target", target(), "--seed", "1"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(
      run.err, "'x\\x01y\\0z" + std::string(195, 'w') + "...' is not a valid integer value.\n"))
      << run.err;
}

}  // namespace
}  // namespace brimwell::testing
