// brimwell-cli build: the list file it writes, its repeatability with a seed, and how the
// options reach the builder.
#include <algorithm>
#include <string>

#include "cli/cli_fixture.h"
#include "support/contains.h"

namespace brimwell::testing {
namespace {

TEST_F(CliTest, BuildWithASeedRepeatsItsListAndAnotherSeedChangesIt) {
  ASSERT_EQ(build("a.txt", "7").exitCode, 0);
  ASSERT_EQ(build("b.txt", "7").exitCode, 0);
  ASSERT_EQ(build("c.txt", "4294967295").exitCode, 0);
  EXPECT_EQ(read("a.txt"), read("b.txt"));
  EXPECT_NE(read("a.txt"), read("c.txt"));
}

TEST_F(CliTest, BuildWritesPathTabSizeLinesInListOrder) {
  const CliRun run = build("a.txt", "7", 60);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string text = read("a.txt");
  EXPECT_EQ(text.back(), '\n');
  EXPECT_FALSE(contains(text, "\r"));
  const auto lines = entriesOf(text);
  ASSERT_EQ(lines.size(), 60u);
  for (const std::string& line : lines) {
    const std::size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    const std::string filePath = line.substr(0, tab);
    const long long size = std::stoll(line.substr(tab + 1));
    EXPECT_EQ(filePath.rfind(target(), 0), 0u) << filePath;
    EXPECT_EQ(filePath.substr(filePath.size() - 4), ".DAT");
    EXPECT_GE(size, 0);
    EXPECT_LT(size, 65536);
  }
  EXPECT_TRUE(contains(run.out, "Listed 60 files")) << run.out;
  EXPECT_TRUE(contains(run.err, "Calculating file sizes...\nDone.\n")) << run.err;
}

TEST_F(CliTest, BuildWithoutASeedPrintsTheClockSeedThatRepeatsIt) {
  const CliRun first = runCli(
      {"build", "--template", templatePath(), "--list", path("a.txt"), "--target", target()});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  const std::size_t at = first.err.find("seed: ");
  ASSERT_NE(at, std::string::npos) << first.err;
  const std::string seed = first.err.substr(at + 6, first.err.find('\n', at) - at - 6);
  const CliRun again = runCli({"build", "--template", templatePath(), "--list", path("b.txt"),
                               "--target", target(), "--seed", seed});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_FALSE(contains(again.err, "seed: "));
  EXPECT_EQ(read("a.txt"), read("b.txt"));
}

TEST_F(CliTest, RootsGivenReplaceAllFiveAndTheOthersAreLeftEmpty) {
  const CliRun run =
      runCli({"build", "--template", templatePath(), "--list", path("a.txt"), "--target", target(),
              "--folders", "40", "--root", "disk:one:2", "--prefix", "x-", "--seed", "3"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  int underRoot = 0;
  int inTarget = 0;
  for (const std::string& line : entriesOf(read("a.txt"))) {
    const std::string rest = line.substr(target().size(), line.find('\t') - target().size());
    if (rest.rfind("disk:one/", 0) == 0) {
      ++underRoot;
      const std::string below = rest.substr(9);
      EXPECT_LE(std::count(below.begin(), below.end(), '/'), 2) << rest;
    } else {
      ++inTarget;
      EXPECT_EQ(rest.find('/'), std::string::npos) << rest;
    }
    EXPECT_EQ(rest.substr(rest.rfind('/') + 1, 2), "x-") << rest;
  }
  EXPECT_GT(underRoot, 0);
  EXPECT_GT(inTarget, 0);
}

TEST_F(CliTest, TheDefaultTargetIsTheWindowsDriveAndTheNoteSaysItIsNotMapped) {
  const CliRun run = runCli({"build", "--template", templatePath(), "--list", path("a.txt"),
                             "--files", "5", "--seed", "1"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(contains(run.err, "not mapped on this system")) << run.err;
  for (const std::string& line : entriesOf(read("a.txt"))) EXPECT_EQ(line.rfind("d:\\", 0), 0u);
}

TEST_F(CliTest, BuildFailsBeforeWorkingWhenTheListCannotBeWritten) {
  const CliRun missingFolder = runCli({"build", "--template", templatePath(), "--list",
                                       path("no/such/folder/a.txt"), "--target", target()});
  EXPECT_EQ(missingFolder.exitCode, 1);
  EXPECT_TRUE(contains(missingFolder.err, "Cannot write the file list")) << missingFolder.err;
  EXPECT_FALSE(contains(missingFolder.err, "Buliding")) << missingFolder.err;

  const CliRun missingTemplate = runCli({"build", "--template", path("none.fs"), "--list",
                                         path("a.txt"), "--target", target(), "--seed", "1"});
  EXPECT_EQ(missingTemplate.exitCode, 1);
  EXPECT_TRUE(contains(missingTemplate.err, "File not found.\n")) << missingTemplate.err;
}

}  // namespace
}  // namespace brimwell::testing
