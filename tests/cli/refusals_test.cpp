// What brimwell-cli refuses and how: questions with no one to answer them, notices that
// stop an operation, malformed file lists, wrong command lines and unreachable targets.
// In every case nothing is written or deleted.
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_fixture.h"
#include "support/contains.h"

namespace brimwell::testing {
namespace {

TEST_F(CliTest, WithoutYesAndWithNoTerminalEveryQuestionIsDeclinedAndNothingChanges) {
  ASSERT_EQ(build("a.txt", "3", 20).exitCode, 0);
  const std::string list = read("a.txt");

  const CliRun reproduce = runCli({"reproduce", "--list", path("a.txt"), "--seed", "1"});
  EXPECT_EQ(reproduce.exitCode, 3);
  EXPECT_TRUE(contains(reproduce.err,
                       " bytes are going to be written. Please make sure that "
                       "destination location has enough space to fit all data. "
                       "Proceed now?\nNot confirmed"))
      << reproduce.err;
  EXPECT_FALSE(std::filesystem::exists(target()));

  ASSERT_EQ(runCli({"reproduce", "--list", path("a.txt"), "--seed", "1", "--yes"}).exitCode, 0);
  const auto written = filesOnDisk();

  EXPECT_EQ(runCli({"sort-out", "--list", path("a.txt"), "--seed", "1"}).exitCode, 3);
  EXPECT_EQ(read("a.txt"), list);
  const CliRun erase = runCli({"erase", "--list", path("a.txt")});
  EXPECT_EQ(erase.exitCode, 3);
  EXPECT_TRUE(contains(erase.err, "Erasing 20 files from the disk. Proceed now?")) << erase.err;
  EXPECT_EQ(read("a.txt"), list);
  EXPECT_EQ(filesOnDisk(), written);

  const std::string elsewhere = path("other/");
  const CliRun run =
      runCli({"run", "--template", templatePath(), "--target", elsewhere, "--seed", "1"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_FALSE(std::filesystem::exists(elsewhere));
}

TEST_F(CliTest, ANoticeThatStopsAnOperationExitsWithThree) {
  dir.writeFile("empty.txt", "");
  const CliRun run = runCli({"sort-out", "--list", path("empty.txt"), "--yes", "--seed", "1"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_TRUE(contains(run.err, "The list is empty!\n")) << run.err;
}

TEST_F(CliTest, AMalformedListLineIsRefusedWithItsNumberAndNothingIsTouched) {
  ASSERT_EQ(build("a.txt", "3", 10).exitCode, 0);
  ASSERT_EQ(runCli({"reproduce", "--list", path("a.txt"), "--seed", "1", "--yes"}).exitCode, 0);
  const auto written = filesOnDisk();
  auto lines = linesOf(read("a.txt"));

  struct Case {
    std::string line;
    std::string says;
  };
  const std::vector<Case> cases{
      {"no tab here", "line 3: there is no TAB between the path and the size."},
      {lines[2].substr(0, lines[2].find('\t')) + "\t12x", "line 3: the size '12x' is not a whole"},
      {"\t100", "line 3: the path is empty."},
  };
  for (const Case& bad : cases) {
    // Line 2 is empty and skipped, but still counted.
    std::string text = lines[0] + "\n\n" + bad.line + "\n" + lines[3] + "\n";
    dir.writeFile("bad.txt", text);
    for (const std::string command : {"reproduce", "sort-out", "erase"}) {
      const CliRun run = runCli({command, "--list", path("bad.txt"), "--yes"});
      EXPECT_EQ(run.exitCode, 1) << command;
      EXPECT_TRUE(contains(run.err, "The file list '" + path("bad.txt") + "', " + bad.says))
          << run.err;
      EXPECT_FALSE(contains(run.err, "Proceed now?")) << run.err;
      EXPECT_EQ(read("bad.txt"), text);
      EXPECT_EQ(filesOnDisk(), written);
    }
  }
}

TEST_F(CliTest, EveryUsageErrorExitsWithTwoAndSaysWhatIsWrong) {
  const std::string fs = templatePath();
  const std::string list = path("a.txt");
  struct Case {
    std::vector<std::string> arguments;
    std::string says;
  };
  const std::vector<Case> cases{
      {{}, "no command given"},
      {{"scatter"}, "unknown command 'scatter'"},
      {{"build", "--template", fs}, "--list is required"},
      {{"reproduce"}, "--list is required"},
      {{"erase", "--list", list, "--seed", "1"}, "--seed"},
      {{"census", "--template", fs}, "LOCATION is required"},
      {{"run", "--template", fs}, "--target is required"},
      {{"build", "--template", fs, "--list", list, "--seed", "abc"},
       "--seed: 'abc' is not a whole number from 0 to 4294967295"},
      {{"build", "--template", fs, "--list", list, "--seed", "4294967296"}, "--seed: '4294967296'"},
      {{"reproduce", "--list", list, "--seed", "-1"}, "--seed: '-1'"},
      {{"sort-out", "--list", list, "--percent", "0"},
       "--percent: '0' is not a whole number from 1 to 99"},
      {{"sort-out", "--list", list, "--percent", "100"}, "--percent: '100'"},
      {{"sort-out", "--list", list, "--percent", "0x10"}, "--percent: '0x10'"},
      {{"build", "--template", fs, "--list", list, "--files", "1000001"}, "--files: '1000001'"},
      {{"build", "--template", fs, "--list", list, "--folders", "0"}, "--folders: '0'"},
      {{"build", "--template", fs, "--list", list, "--root", "Windows emul"},
       "--root: 'Windows emul' is not NAME:DEPTH"},
      {{"build", "--template", fs, "--list", list, "--root", "a:100"}, "--root: 'a:100'"},
      {{"build", "--template", fs, "--list", list, "--root", "a:1", "--root", "b:1", "--root",
        "c:1", "--root", "d:1", "--root", "e:1", "--root", "f:1"},
       "at most five root folders"},
      {{"run", "--template", fs, "--target", path("t/"), "--surprise"}, "--surprise"},
  };
  for (const Case& wrong : cases) {
    const CliRun run = runCli(wrong.arguments);
    EXPECT_EQ(run.exitCode, 2) << wrong.says;
    EXPECT_TRUE(contains(run.err, wrong.says)) << run.err;
    EXPECT_TRUE(contains(run.err, "--help")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(list));
  }
}

TEST_F(CliTest, HelpForTheToolAndEveryCommandShowsAnExample) {
  const CliRun tool = runCli({"--help"});
  EXPECT_EQ(tool.exitCode, 0);
  EXPECT_TRUE(contains(tool.out, "Exit codes: 0 done, 1 failed")) << tool.out;
  for (const std::string command : {"census", "build", "reproduce", "sort-out", "erase", "run"}) {
    const CliRun run = runCli({command, "--help"});
    EXPECT_EQ(run.exitCode, 0) << command;
    EXPECT_TRUE(contains(run.out, "Example:\n  brimwell-cli " + command)) << run.out;
  }
  const CliRun version = runCli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("brimwell-cli ", 0), 0u) << version.out;
}

TEST_F(CliTest, AnUnmappedDriveIsNamedInTheError) {
  const CliRun run = runCli({"run", "--template", templatePath(), "--target", "d:\\", "--yes"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.err, "starts with the drive d:, which is not mapped on this system"))
      << run.err;
  EXPECT_FALSE(contains(run.err, "Buliding")) << run.err;

  // A list built for the default target fails at its first file, with the same explanation.
  ASSERT_EQ(runCli({"build", "--template", templatePath(), "--list", path("d.txt"), "--files", "3",
                    "--seed", "1"})
                .exitCode,
            0);
  const CliRun reproduce = runCli({"reproduce", "--list", path("d.txt"), "--seed", "1", "--yes"});
  EXPECT_EQ(reproduce.exitCode, 1);
  EXPECT_TRUE(contains(reproduce.err, "which is not mapped on this system")) << reproduce.err;
}

}  // namespace
}  // namespace brimwell::testing
