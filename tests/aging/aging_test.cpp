// Aiming the aging: build and run --fill land just below the level asked for on a real ext4
// volume and refuse a level the volume cannot reach; run --rounds ages the drive round by
// round, new files landing in the holes old ones left, and a probe of the aged drive
// gives the same answer every time.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/contains.h"
#include "support/measure_json.h"
#include "support/scratch_volume.h"
#include "support/source_templates.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

const std::string kTemplate = sourceTemplate("default");

double usedPercent(const std::string& mountPoint) {
  const CliRun measured = runCli({"measure", mountPoint, "--json"});
  EXPECT_EQ(measured.exitCode, 0) << measured.err;
  return jsonNumber(measured.out, "fill", "used_percent");
}

TEST(AgingFill, LandsWithinTwoPointsBelowTheLevelOnThreeSeeds) {
  const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::Ext4);
  if (!skip.empty()) GTEST_SKIP() << skip;
  for (const char* seed : {"1", "2", "3"}) {
    ScratchVolume volume(ScratchVolume::Kind::Ext4, 40);
    TempDir lists;
    const std::string target = volume.mountPoint() + "/";
    const CliRun built =
        runCli({"build", "--template", kTemplate, "--target", target, "--fill", "80", "--folders",
                "200", "--seed", seed, "--list", lists / "a.txt"});
    ASSERT_EQ(built.exitCode, 0) << built.err;
    EXPECT_TRUE(contains(built.err, "Fill 80 %: ")) << built.err;
    // The same seed gives the same list.
    ASSERT_EQ(runCli({"build", "--template", kTemplate, "--target", target, "--fill", "80",
                      "--folders", "200", "--seed", seed, "--list", lists / "b.txt"})
                  .exitCode,
              0);
    EXPECT_EQ(lists.readFile("a.txt"), lists.readFile("b.txt"));

    ASSERT_EQ(runCli({"reproduce", "--list", lists / "a.txt", "--seed", "1", "--yes"}).exitCode, 0);
    const double used = usedPercent(volume.mountPoint());
    EXPECT_GE(used, 78.0) << "seed " << seed;
    EXPECT_LE(used, 80.0) << "seed " << seed;
  }
}

TEST(AgingFill, ALevelTheVolumeCannotReachIsRefusedBeforeWriting) {
  const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::Tmpfs);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ScratchVolume volume(ScratchVolume::Kind::Tmpfs, 8);
  const std::string target = volume.mountPoint() + "/job/";
  std::filesystem::create_directory(volume.mountPoint() + "/job");
  {
    std::ofstream ballast(volume.mountPoint() + "/ballast", std::ios::binary);
    ballast << std::string(5 << 20, 'x');
  }
  const CliRun full = runCli(
      {"run", "--template", kTemplate, "--target", target, "--fill", "50", "--seed", "1", "--yes"});
  EXPECT_EQ(full.exitCode, 1);
  EXPECT_TRUE(contains(full.err, "% full, which --fill 50 cannot lower")) << full.err;
  EXPECT_TRUE(std::filesystem::is_empty(volume.mountPoint() + "/job"));

  const CliRun both = runCli({"run", "--template", kTemplate, "--target", target, "--fill", "90",
                              "--files", "10", "--yes"});
  EXPECT_EQ(both.exitCode, 2);
  EXPECT_TRUE(contains(both.err, "--fill: give either --files or --fill, not both")) << both.err;
  const CliRun range =
      runCli({"run", "--template", kTemplate, "--target", target, "--fill", "100", "--yes"});
  EXPECT_EQ(range.exitCode, 2);
  EXPECT_TRUE(contains(range.err, "--fill: '100' is not a whole number from 1 to 99"));
  EXPECT_TRUE(std::filesystem::is_empty(volume.mountPoint() + "/job"));
}

TEST(AgingRounds, LaterRoundsSplitTheFreeSpaceFurtherAndTheListKeepsWhatIsOnDisk) {
  const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::Ext4);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ScratchVolume volume(ScratchVolume::Kind::Ext4, 48);
  TempDir lists;
  const CliRun run = runCli({"run", "--template", kTemplate, "--target", volume.mountPoint() + "/",
                             "--fill", "85", "--rounds", "3", "--percent", "15", "--folders", "100",
                             "--seed", "1", "--yes", "--list", lists / "left.txt"});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  // "Round N: FILES files of ... on disk, volume P % used, E free extents, layout score ..."
  std::vector<std::int64_t> freeExtents;
  std::int64_t filesLeft = 0;
  for (std::size_t at = 0; (at = run.out.find("Round ", at)) != std::string::npos;) {
    EXPECT_EQ(numberAfter(run.out, "Round ", at), static_cast<long>(freeExtents.size()) + 1);
    filesLeft = numberAfter(run.out, ": ", at);
    freeExtents.push_back(numberAfter(run.out, "% used, ", at));
    EXPECT_EQ(run.out.compare(at, 28, " free extents, layout score "), 0) << run.out;
  }
  ASSERT_EQ(freeExtents.size(), 3u) << run.out;
  // Where a later round's batch lands depends on the CPU the writer ran on: on so small a
  // volume the third round may leave as many free extents as the second, never as few as
  // the first.
  EXPECT_LT(freeExtents[0], freeExtents[1]) << run.out;
  EXPECT_LT(freeExtents[0], freeExtents[2]) << run.out;

  // The list names exactly the files on disk, batches of every round among them.
  std::set<std::string> onDisk;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(volume.mountPoint())) {
    if (entry.is_regular_file() &&
        entry.path().string().find("/lost+found/") == std::string::npos) {
      onDisk.insert(entry.path().string());
    }
  }
  std::set<std::string> listed;
  for (const std::string& line : linesOf(lists.readFile("left.txt"))) {
    if (!line.empty() && line.front() != '#') listed.insert(line.substr(0, line.rfind('\t')));
  }
  EXPECT_EQ(listed, onDisk);
  EXPECT_EQ(static_cast<long>(onDisk.size()), filesLeft);
  for (const char* batch : {"/001-0", "/001-r2-0", "/001-r3-0"}) {
    EXPECT_TRUE(std::any_of(onDisk.begin(), onDisk.end(), [&](const std::string& path) {
      return path.find(batch) != std::string::npos;
    })) << batch;
  }

  // Probes of the aged, unchanged volume agree, the first after the run too.
  std::vector<double> probes;
  for (int probe = 0; probe < 3; ++probe) {
    const CliRun measured = runCli({"measure", volume.mountPoint(), "--probe", "4M", "--json"});
    probes.push_back(jsonNumber(measured.out, "probe", "extents"));
  }
  EXPECT_GT(probes[0], 1) << "the aged volume splits a new 4 MiB file";
  for (const double extents : probes) EXPECT_NEAR(extents, probes[0], probes[0] * 0.05);
}

}  // namespace
}  // namespace brimwell::testing
