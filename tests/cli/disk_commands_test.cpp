// brimwell-cli reproduce, sort-out, erase and run on a real temporary folder.
#include <algorithm>
#include <filesystem>
#include <string>

#include "cli/cli_fixture.h"
#include "support/contains.h"

namespace brimwell::testing {
namespace {

// The paths of a list file's lines, in order.
std::vector<std::string> pathsOf(const std::string& listText) {
  std::vector<std::string> paths;
  for (const std::string& line : entriesOf(listText))
    paths.push_back(line.substr(0, line.rfind('\t')));
  return paths;
}

TEST_F(CliTest, ReproduceWithASeedWritesTheSameBytesTwiceAndTheListedSizes) {
  ASSERT_EQ(build("a.txt", "3").exitCode, 0);
  const CliRun first = runCli({"reproduce", "--list", path("a.txt"), "--seed", "9", "--yes"});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  const auto written = filesOnDisk();
  ASSERT_EQ(written.size(), 60u);
  for (const std::string& line : entriesOf(read("a.txt"))) {
    const std::string relative =
        line.substr(dir.path().size() + 1, line.rfind('\t') - dir.path().size() - 1);
    ASSERT_EQ(written.count(relative), 1u) << relative;
    EXPECT_EQ(written.at(relative).size(), std::stoull(line.substr(line.rfind('\t') + 1)));
  }
  EXPECT_TRUE(contains(first.err, "Answered OK (--yes).\nReproducing folder structure...\n"))
      << first.err;

  ASSERT_EQ(runCli({"reproduce", "--list", path("a.txt"), "--seed", "9", "--yes"}).exitCode, 0);
  EXPECT_EQ(filesOnDisk(), written);
  ASSERT_EQ(runCli({"reproduce", "--list", path("a.txt"), "--seed", "10", "--yes"}).exitCode, 0);
  EXPECT_NE(filesOnDisk(), written);
}

TEST_F(CliTest, ReproduceReadsAListWithCrLfLineEnds) {
  ASSERT_EQ(build("a.txt", "3", 8).exitCode, 0);
  ASSERT_EQ(runCli({"reproduce", "--list", path("a.txt"), "--seed", "2", "--yes"}).exitCode, 0);
  const auto fromLf = filesOnDisk();
  std::filesystem::remove_all(target());
  std::string crlf;
  for (const std::string& line : linesOf(read("a.txt"))) crlf += line + "\r\n";
  dir.writeFile("crlf.txt", crlf);
  const CliRun run = runCli({"reproduce", "--list", path("crlf.txt"), "--seed", "2", "--yes"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(filesOnDisk(), fromLf);
}

TEST_F(CliTest, SortOutWithASeedKeepsTheSameEntriesInListOrder) {
  ASSERT_EQ(build("a.txt", "3", 60).exitCode, 0);
  const std::string built = read("a.txt");
  dir.writeFile("b.txt", built);
  const CliRun run =
      runCli({"sort-out", "--list", path("a.txt"), "--percent", "25", "--seed", "4", "--yes"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ASSERT_EQ(runCli({"sort-out", "--list", path("b.txt"), "--percent", "25", "--seed", "4", "--yes"})
                .exitCode,
            0);
  EXPECT_EQ(read("a.txt"), read("b.txt"));
  EXPECT_TRUE(contains(run.err, "Removing 45 out of 60 random items from the list.")) << run.err;
  EXPECT_TRUE(contains(run.out, "Kept 15 entries")) << run.out;

  // The kept lines are lines of the built list, unchanged and in the same order.
  const auto kept = entriesOf(read("a.txt"));
  ASSERT_EQ(kept.size(), 15u);
  const auto all = linesOf(built);
  auto next = all.begin();
  for (const std::string& line : kept) {
    next = std::find(next, all.end(), line);
    ASSERT_NE(next, all.end()) << line;
  }
}

TEST_F(CliTest, EraseDeletesTheListedFilesKeepsFoldersAndEmptiesTheList) {
  ASSERT_EQ(build("a.txt", "3", 40).exitCode, 0);
  ASSERT_EQ(runCli({"reproduce", "--list", path("a.txt"), "--seed", "1", "--yes"}).exitCode, 0);
  const std::size_t folders = foldersOnDisk();
  ASSERT_EQ(runCli({"sort-out", "--list", path("a.txt"), "--percent", "50", "--seed", "1", "--yes"})
                .exitCode,
            0);
  const auto doomed = pathsOf(read("a.txt"));
  ASSERT_EQ(doomed.size(), 20u);
  // One listed file is already gone: the erase counts it as not deleted.
  std::filesystem::remove(doomed.front());

  const CliRun run = runCli({"erase", "--list", path("a.txt"), "--yes"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(contains(run.err, "Erasing 20 files from the disk. Proceed now?")) << run.err;
  EXPECT_TRUE(contains(run.out, "Deleted 19 files; 1 listed file could not be deleted")) << run.out;
  for (const std::string& gone : doomed) EXPECT_FALSE(std::filesystem::exists(gone)) << gone;
  EXPECT_EQ(filesOnDisk().size(), 20u);
  EXPECT_EQ(foldersOnDisk(), folders);
  EXPECT_EQ(read("a.txt"), "");
}

TEST_F(CliTest, RunDoesTheWholeJobAndReportsWhatItMade) {
  const CliRun run = runCli({"run", "--template", templatePath(), "--target", target(), "--files",
                             "80", "--folders", "15", "--percent", "25", "--seed", "5", "--yes",
                             "--list", path("run.txt")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(filesOnDisk().size(), 60u);
  const std::string folders = std::to_string(foldersOnDisk());
  EXPECT_TRUE(contains(run.out, "Wrote 80 files of ")) << run.out;
  EXPECT_TRUE(contains(run.out, "in " + folders + " folders under " + target())) << run.out;
  EXPECT_TRUE(contains(run.out, "Deleted 20 of them, chosen at random (25 %)")) << run.out;
  EXPECT_TRUE(contains(run.out, "60 files remain.")) << run.out;
  EXPECT_EQ(entriesOf(read("run.txt")).size(), 60u);  // every file still on disk

  // The same seed gives the same files with the same bytes.
  const auto made = filesOnDisk();
  std::filesystem::remove_all(target());
  ASSERT_EQ(runCli({"run", "--template", templatePath(), "--target", target(), "--files", "80",
                    "--folders", "15", "--percent", "25", "--seed", "5", "--yes"})
                .exitCode,
            0);
  EXPECT_EQ(filesOnDisk(), made);
}

TEST_F(CliTest, ARelativeTargetIsTakenFromTheCurrentFolder) {
  const CliRun run = runCli({"run", "--template", templatePath(), "--target", "drive/", "--files",
                             "10", "--seed", "5", "--yes", "--list", "run.txt"},
                            dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(contains(run.out, "under " + target() + "\n")) << run.out;
  EXPECT_EQ(filesOnDisk().size(), 8u);  // 1.5 files to delete, rounded to 2
  EXPECT_TRUE(std::filesystem::exists(path("run.txt")));
}

}  // namespace
}  // namespace brimwell::testing
