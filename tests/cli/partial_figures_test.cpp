// census and measure count everything they can reach and say what they could not: special
// files never stop them, trees deeper than the path limit are walked whole, and a folder
// or file that cannot be read is named on stderr with exit code 1. Failures name what
// failed: a folder that cannot be made, a name that is not UTF-8 in JSON.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <cstdlib>
#include <string>

#include "cli/cli_fixture.h"
#include "support/contains.h"
#include "support/hard_trees.h"

namespace brimwell::testing {
namespace {

constexpr unsigned kNobody = 65534;

TEST_F(CliTest, SpecialFilesAndFoldersDeeperThanThePathLimitAreCountedWholeWithoutHanging) {
  dir.writeFile("sizes.fs", "0\t0\n100\t0\n");
  dir.writeFile("place/a", "abc");
  makeFifo(path("place/pipe"));
  const bool device = makeNullDevice(path("place/null"));
  const DeepChain deep(path("place/deep"), 24);
  ASSERT_GT(deep.deepest().size(), 4096u);
  const int files = 2 + (device ? 1 : 0) + 24;
  const std::string bytes = std::to_string(3 + deep.bytes());

  const CliRun census = runCli({"census", path("place"), "--template", path("sizes.fs")});
  ASSERT_EQ(census.exitCode, 0) << census.err;
  EXPECT_TRUE(contains(census.out, "Total files: " + std::to_string(files) +
                                       ", total folders: 25, total size: " + bytes + ","))
      << census.out;

  const CliRun measure = runCli({"measure", path("place")});
  EXPECT_FALSE(measure.timedOut);
  ASSERT_EQ(measure.exitCode, 0) << measure.err;
  EXPECT_TRUE(contains(measure.out, "under the target    " + std::to_string(files) + " files of " +
                                        bytes + " bytes in 25 folders"))
      << measure.out;

  // A pipe named as a template or a list is refused as a file that cannot be read, at once.
  const CliRun piped = runCli({"census", path("place"), "--template", path("place/pipe")});
  EXPECT_FALSE(piped.timedOut);
  EXPECT_EQ(piped.exitCode, 1);
  EXPECT_TRUE(contains(piped.err, "File access denied.")) << piped.err;
  const CliRun listed = runCli({"reproduce", "--list", path("place/pipe"), "--yes"});
  EXPECT_FALSE(listed.timedOut);
  EXPECT_EQ(listed.exitCode, 1);
  EXPECT_TRUE(contains(listed.err, "File access denied")) << listed.err;
}

TEST_F(CliTest, WhatCannotBeReadIsNamedWithItsReasonAndTheExitCodeIsOne) {
  dir.writeFile("sizes.fs", "0\t0\n100\t0\n");
  dir.writeFile("place/open/a", "abc");
  dir.writeFile("place/open/secret", "hidden");
  dir.writeFile("place/locked/b", "b");
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(path("place/locked").c_str(), 0700), 0);
  ASSERT_EQ(chmod(path("place/open/secret").c_str(), 0600), 0);
  const CliLimits nobody{kNobody, 0};

  const CliRun census =
      runCliLimited({"census", path("place"), "--template", path("sizes.fs")}, nobody);
  EXPECT_EQ(census.exitCode, 1) << census.err;
  EXPECT_TRUE(contains(census.out, "avg size: 4. 1 folder could not be read.\n")) << census.out;
  EXPECT_TRUE(contains(census.err,
                       "brimwell-cli: census: 1 folder could not be read; the "
                       "figures leave them out: '" +
                           path("place/locked/") + "' (File access denied)."))
      << census.err;

  // measure opens every file for its extents: the secret one cannot be.
  const CliRun measure = runCliLimited({"measure", path("place")}, nobody);
  EXPECT_EQ(measure.exitCode, 1) << measure.err;
  EXPECT_TRUE(contains(measure.err, "brimwell-cli: measure: 1 folder and 1 file could not be read"))
      << measure.err;
  EXPECT_TRUE(contains(measure.err, "'" + path("place/open/secret") + "' (Permission denied)"))
      << measure.err;
}

TEST_F(CliTest, RunningOutOfFileDescriptorsIsNeverASilentlyShortCount) {
  dir.writeFile("sizes.fs", "0\t0\n100\t0\n");
  const DeepChain deep(path("place"), 24);
  const CliLimits fewFiles{0, 16};
  const CliRun census =
      runCliLimited({"census", path("place"), "--template", path("sizes.fs")}, fewFiles);
  const CliRun measure = runCliLimited({"measure", path("place")}, fewFiles);
  for (const CliRun& run : {census, measure}) {
    if (run.exitCode == 0) {
      EXPECT_TRUE(contains(run.out, "24 files") || contains(run.out, "Total files: 24,"))
          << run.out;
    } else {
      EXPECT_EQ(run.exitCode, 1);
      EXPECT_TRUE(contains(run.err, "(Too many open files)")) << run.err;
    }
  }
}

TEST_F(CliTest, AFolderThatCannotBeMadeIsNamedWithItsOwnReason) {
  dir.writeFile("drive", "a file where the target folder should be");
  const CliRun run = runCli({"run", "--template", templatePath(), "--target", target(), "--files",
                             "3", "--seed", "1", "--yes"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.err, "brimwell-cli: run: the folder '" + path("drive") +
                                    "' cannot be made: a file of that name is in its place.\n"))
      << run.err;
}

// A folder mounted again inside itself (a bind mount, same device and inode) is named and
// not walked again: census and measure count each file once.
TEST_F(CliTest, AFolderMountedInsideItselfIsCountedOnceAndNamed) {
  if (::geteuid() != 0) {
    if (std::getenv("CI") != nullptr) FAIL() << "a bind mount needs root";
    GTEST_SKIP() << "a bind mount needs root";
  }
  dir.writeFile("sizes.fs", "0\t0\n100\t0\n");
  dir.writeFile("a/f", "abc");
  dir.writeFile("a/sub/g", "de");
  std::filesystem::create_directory(path("a/sub/again"));
  ASSERT_EQ(std::system(("mount --bind '" + path("a") + "' '" + path("a/sub/again") + "'").c_str()),
            0);
  const CliRun census = runCli({"census", path("a"), "--template", path("sizes.fs")});
  const CliRun measure = runCli({"measure", path("a")});
  std::system(("umount '" + path("a/sub/again") + "'").c_str());
  const std::string named = "'" + path("a/sub/again") + "' (the walk is already inside it";
  EXPECT_EQ(census.exitCode, 1);
  EXPECT_TRUE(contains(census.out, "Total files: 2, total folders: 2")) << census.out;
  EXPECT_TRUE(contains(census.err, named)) << census.err;
  EXPECT_EQ(measure.exitCode, 1);
  EXPECT_TRUE(contains(measure.out, "under the target    2 files of 5 bytes")) << measure.out;
  EXPECT_TRUE(contains(measure.err, "1 folder inside itself was not walked again")) << measure.err;
  EXPECT_TRUE(contains(measure.err, named)) << measure.err;
}

TEST_F(CliTest, MeasureJsonShowsANameThatIsNotUtf8WithReplacementCharacters) {
  dir.writeFile("caf\xe9/a", "abc");
  const CliRun run = runCli({"measure", "--json", path("caf\xe9")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(contains(run.out, "\"target\": \"" + path("caf") + "\xEF\xBF\xBD\",")) << run.out;
  EXPECT_FALSE(contains(run.out, "\xe9"));
}

// A name that holds control characters, bytes that are not UTF-8 and a non-character:
// the picture stays XML that xmllint accepts, and the terminal gets no escape sequence.
TEST_F(CliTest, MeasureShowsHostileNamesEscapedInTheTableAndInWellFormedXml) {
  const std::string hostile =
      "red\x1b[31m\x01"
      "caf\xe9\xef\xbf\xbe";
  dir.writeFile(hostile + "/a", "abc");
  const CliRun table = runCli({"measure", path(hostile), "--svg", path("picture.svg")});
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_TRUE(contains(table.out, "red\\x1B[31m\\x01caf\xe9")) << table.out;
  EXPECT_FALSE(contains(table.out, "\x1b")) << table.out;
  const std::string svg = read("picture.svg");
  EXPECT_TRUE(contains(svg, "red\\x1B[31m\\x01caf\xef\xbf\xbd\\xEF\\xBF\\xBE")) << svg;
  if (std::system("xmllint --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xmllint";
  EXPECT_EQ(std::system(("xmllint --noout '" + path("picture.svg") + "'").c_str()), 0);
}

}  // namespace
}  // namespace brimwell::testing
