// The command line keeps every file it writes named in a list and keeps to its target: the
// target is normalised and compared as a folder, the root and an empty target are refused,
// each question says the folder first, and whatever stops a run its list erases everything.
#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_fixture.h"
#include "support/contains.h"

namespace brimwell::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(CliTest, TheTargetIsNormalisedAndComparedAsAFolder) {
  dir.writeFile("victim", "precious");
  dir.writeFile("driveevil/f", "precious");
  const std::string sibling = path("driveevil/f") + "\t5\n";
  for (const std::string& header :
       {"# target: " + dir / "drive", std::string("# target: /"), std::string("# target: ")}) {
    const std::string outside = header == "# target: " ? "victim\t5\n" : sibling;
    dir.writeFile("bad.txt", header + "\n" + outside);
    for (const std::string command : {"reproduce", "erase"}) {
      const CliRun run = runCli({command, "--list", path("bad.txt"), "--yes"}, dir.path());
      EXPECT_EQ(run.exitCode, 1) << header << run.err;
      EXPECT_FALSE(contains(run.err, "Proceed now?")) << run.err;
    }
  }
  EXPECT_EQ(read("victim"), "precious");
  EXPECT_EQ(read("driveevil/f"), "precious");

  for (const std::string target : {"", "/", "//", "/tmp/.."}) {
    const CliRun run = runCli({"run", "--template", templatePath(), "--target", target, "--yes"});
    EXPECT_EQ(run.exitCode, 2) << target;
    EXPECT_TRUE(contains(run.err, target.empty() ? "is empty" : "--allow-root")) << run.err;
  }

  // Spelled with "." and repeated separators, the target is the same folder, said first.
  ASSERT_EQ(runCli({"build", "--template", templatePath(), "--list", path("a.txt"), "--target",
                    dir.path() + "/./x/..//drive", "--files", "5", "--seed", "1"})
                .exitCode,
            0);
  EXPECT_EQ(linesOf(read("a.txt")).front(), "# target: " + target());
  const CliRun reproduce = runCli({"reproduce", "--list", path("a.txt"), "--seed", "1", "--yes"});
  ASSERT_EQ(reproduce.exitCode, 0) << reproduce.err;
  EXPECT_EQ(reproduce.err.rfind("Target: " + target() + "\n", 0), 0u) << reproduce.err;
}

TEST_F(CliTest, ListErrorsShowInvisibleBytesAndNamesAreRefusedWhereTyped) {
  dir.writeFile("bom.txt", "\xEF\xBB\xBF" + path("drive/a") + "\t5\n");
  const CliRun bom = runCli({"erase", "--list", path("bom.txt"), "--target", target(), "--yes"});
  EXPECT_EQ(bom.exitCode, 1);
  EXPECT_TRUE(contains(bom.err, "line 1 ('\\xEF\\xBB\\xBF" + path("drive/a"))) << bom.err;
  dir.writeFile("bom.fs",
                "\xEF\xBB\xBF"
                "512\t10\r\n\r\n4096\tx\r\n");
  for (const std::string command : {"build", "run"}) {
    const CliRun run = runCli({command, "--template", path("bom.fs"), "--list", path("b.txt"),
                               "--target", target(), "--seed", "1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.err, "The template '" + path("bom.fs") +
                                      "', line 1: '\\xEF\\xBB\\xBF512' is not a valid integer"))
        << run.err;
  }

  for (const std::vector<std::string>& option : {std::vector<std::string>{"--root", "a\nb:1"},
                                                 {"--root", "/etc:1"},
                                                 {"--root", "c:x:1"},
                                                 {"--prefix", "/abs-"},
                                                 {"--prefix", "d:x"},
                                                 {"--prefix", "a\x01-"}}) {
    const CliRun run = runCli({"build", "--template", templatePath(), "--list", path("n.txt"),
                               "--target", target(), option[0], option[1]});
    EXPECT_EQ(run.exitCode, 2) << option[1];
    EXPECT_TRUE(contains(run.err, option[0] + ": '")) << run.err;
  }
  EXPECT_FALSE(fs::exists(path("n.txt")));

  const CliRun svg = runCli({"measure", dir.path(), "--svg", path("missing/m.svg")});
  EXPECT_EQ(svg.exitCode, 1);
  EXPECT_TRUE(contains(svg.err, "Cannot write the picture " + path("missing/m.svg") + ": "))
      << svg.err;
}

TEST_F(CliTest, RunKeepsAListOfEveryFileOnDiskWhateverStopsIt) {
  const std::string list = dir / "drive.brimwell-list.txt";
  const CliRun done = runCli({"run", "--template", templatePath(), "--target", target(), "--files",
                              "40", "--seed", "2", "--yes"});
  ASSERT_EQ(done.exitCode, 0) << done.err;
  EXPECT_TRUE(contains(done.err, "Target: " + target() + "\nList: " + list + "\n")) << done.err;
  EXPECT_EQ(entriesOf(dir.readFile("drive.brimwell-list.txt")).size(), filesOnDisk().size());
  ASSERT_EQ(runCli({"erase", "--list", list, "--yes"}).exitCode, 0);
  EXPECT_EQ(regularFilesUnder(target()), 0u);

  // Killed or stopped between two files, the run leaves a list that names them all.
  for (const int signal : {SIGKILL, SIGINT}) {
    const CliRun stopped = runCliSignalled(
        {"run", "--template", templatePath(), "--target", target(), "--files", "20000", "--folders",
         "40", "--seed", "3", "--yes"},
        [&] { return regularFilesUnder(target()) >= 50; }, signal);
    EXPECT_EQ(stopped.exitCode, signal == SIGKILL ? 128 + SIGKILL : 3) << stopped.err;
    if (signal == SIGINT) {
      EXPECT_TRUE(contains(stopped.err, "'brimwell-cli erase --list " + list + "'")) << stopped.err;
    }
    ASSERT_GE(regularFilesUnder(target()), 50u);
    ASSERT_LT(regularFilesUnder(target()), 20000u);
    const CliRun erased = runCli({"erase", "--list", list, "--yes"});
    EXPECT_EQ(erased.exitCode, 0) << erased.err;
    EXPECT_EQ(regularFilesUnder(target()), 0u);
  }
}

TEST_F(CliTest, RunByUseKilledMidRoundLeavesEveryFileListed) {
  const std::string list = dir / "drive.brimwell-list.txt";
  for (const int signal : {SIGKILL, SIGINT}) {
    // Stopped while the list names staged files: a round is replacing or moving files in.
    const CliRun stopped = runCliSignalled(
        {"run", "--template", templatePath(), "--target", target(), "--files", "6000", "--folders",
         "20", "--rounds", "3", "--by-use", "--seed", "4", "--yes"},
        [&] { return contains(readWholeFile(list), "-staging/r"); }, signal);
    EXPECT_EQ(stopped.exitCode, signal == SIGKILL ? 128 + SIGKILL : 3) << stopped.err;
    std::set<std::string> listed;
    for (const std::string& entry : entriesOf(readWholeFile(list))) {
      listed.insert(entry.substr(0, entry.rfind('\t')));
    }
    for (const auto& [path, contents] : filesOnDisk())
      EXPECT_TRUE(listed.count(dir / path)) << path;
    EXPECT_EQ(runCli({"erase", "--list", list, "--yes"}).exitCode, 0);
    EXPECT_EQ(regularFilesUnder(target()), 0u);
  }
}

}  // namespace
}  // namespace brimwell::testing
