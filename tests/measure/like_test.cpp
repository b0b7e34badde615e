// run --like: a volume of another size is aged like the drive measure --json described (its
// fill, layout score as filefrag counts it, and files by extent count), on real ext4, XFS and
// NTFS (ntfs-3g: small files live in their file records) volumes; a profile that cannot be
// used is refused with nothing written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "aging/drive_profile.h"
#include "app/failure.h"
#include "measure/measure_json.h"
#include "measure/scratch_volume.h"
#include "support/cli_runner.h"
#include "support/contains.h"
#include "support/source_templates.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

const std::string kTemplate = sourceTemplate("unix-1993");

std::vector<std::int64_t> filesByExtents(const std::string& json) {
  std::vector<std::int64_t> counts;
  for (const char* name : {"0", "1", "2", "3-4", "5-8", "9-16", "17-32", "33+"}) {
    counts.push_back(
        static_cast<std::int64_t>(jsonNumber(json, "file_fragmentation/files_by_extents", name)));
  }
  return counts;
}

struct Sizes {
  ScratchVolume::Kind kind;
  int sourceMegabytes;
  int targetMegabytes;
  // ntfs-3g joins some pieces written apart again, so more files are cut to reach the score.
  double filesByExtentsDistance = 0.05;
};

class LikeProfile : public ::testing::TestWithParam<Sizes> {};

TEST_P(LikeProfile, AVolumeOfAnotherSizeEndsWithTheProfilesFillLayoutAndFilesByExtents) {
  const Sizes sizes = GetParam();
  const std::string skip = ScratchVolume::skipReason(sizes.kind);
  if (!skip.empty()) GTEST_SKIP() << skip;
  TempDir work;
  std::string profile;
  {
    ScratchVolume source(sizes.kind, sizes.sourceMegabytes);
    const std::string aged = source.mountPoint() + "/t/";
    const CliRun run =
        runCli({"run", "--template", kTemplate, "--target", aged, "--layout", "0.8", "--fill", "60",
                "--rounds", "2", "--seed", "3", "--yes", "--list", work / "source.txt"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    profile = runCli({"measure", aged, "--json"}).out;
    work.writeFile("profile.json", profile);
  }
  ScratchVolume target(sizes.kind, sizes.targetMegabytes);
  const std::string aged = target.mountPoint() + "/t/";
  const CliRun run =
      runCli({"run", "--template", kTemplate, "--target", aged, "--like", work / "profile.json",
              "--seed", "8", "--yes", "--list", work / "target.txt"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string measured = runCli({"measure", aged, "--json"}).out;
  EXPECT_NEAR(jsonNumber(measured, "fill", "used_percent"),
              jsonNumber(profile, "fill", "used_percent"), 2.0)
      << run.out;
  const double score = jsonNumber(profile, "file_fragmentation", "layout_score");
  EXPECT_NEAR(jsonNumber(measured, "file_fragmentation", "layout_score"), score, 0.01) << run.out;
  EXPECT_NEAR(filefragFigures(aged).score, score, 0.01) << run.out;
  EXPECT_LE(aging::ksDistance(filesByExtents(measured), filesByExtents(profile)),
            sizes.filesByExtentsDistance)
      << run.out;
  EXPECT_NE(run.out.find("Like " + work / "profile.json" + ": used "), std::string::npos)
      << run.out;
  // The tree-order score reached, beside the profile's.
  const std::size_t tree = run.out.find(", tree order ");
  ASSERT_NE(tree, std::string::npos) << run.out;
  EXPECT_NEAR(std::atof(run.out.c_str() + tree + 12),
              jsonNumber(measured, "file_fragmentation", "tree_order_score"), 0.0006);
  EXPECT_NEAR(std::atof(run.out.c_str() + run.out.find('(', tree) + 1),
              jsonNumber(profile, "file_fragmentation", "tree_order_score"), 0.0006);
}

// A profile measured before the tree-order score was is still read; a malformed one is not.
TEST(LikeProfileFields, TheTreeOrderScoreIsReadWhereTheProfileHasIt) {
  TempDir work;
  const std::string fill = R"({"fill": {"known": true, "used_percent": 50}, )";
  const std::string files =
      R"("file_fragmentation": {"known": true, "layout_score": 0.8, "fragmented_percent": 10, )"
      R"("files_by_extents": {"0": 0, "1": 9, "2": 1, "3-4": 0, "5-8": 0, "9-16": 0, )"
      R"("17-32": 0, "33+": 0})";
  work.writeFile("old.json", fill + files + "}}");
  EXPECT_FALSE(aging::readDriveProfile(work / "old.json").treeOrderScore);
  work.writeFile("new.json", fill + files + R"(, "tree_order_score": 0.61}})");
  EXPECT_DOUBLE_EQ(aging::readDriveProfile(work / "new.json").treeOrderScore.value_or(0), 0.61);
  work.writeFile("bad.json", fill + files + R"(, "tree_order_score": "high"}})");
  EXPECT_THROW(aging::readDriveProfile(work / "bad.json"), Failure);
}

INSTANTIATE_TEST_SUITE_P(Volumes, LikeProfile,
                         ::testing::Values(Sizes{ScratchVolume::Kind::Ext4, 128, 96},
                                           Sizes{ScratchVolume::Kind::Xfs, 360, 300},
                                           Sizes{ScratchVolume::Kind::Ntfs, 64, 96, 0.08}),
                         [](const auto& parameter) {
                           return ScratchVolume::kindName(parameter.param.kind);
                         });

TEST(LikeProfileRefusals, AProfileThatCannotBeUsedIsRefusedWithNothingWritten) {
  const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::Tmpfs);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ScratchVolume volume(ScratchVolume::Kind::Tmpfs, 8);
  TempDir work;
  const std::string target = volume.mountPoint() + "/t/";
  const auto refusal = [&](const std::string& contents) {
    work.writeFile("profile.json", contents);
    const CliRun run = runCli({"run", "--template", kTemplate, "--target", target, "--like",
                               work / "profile.json", "--yes"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(std::filesystem::is_empty(volume.mountPoint())) << run.err;
    return run.err;
  };
  const std::string prefix = "The profile '" + work / "profile.json" + "' cannot be used: ";
  EXPECT_NE(refusal("{\"fill\": ").find(prefix + "it is not JSON: parse error at line 1"),
            std::string::npos);
  EXPECT_NE(refusal("{\"fill\": {\"known\": false, \"why\": \"no statvfs\"}}")
                .find(prefix + "its \"fill\" is not known: no statvfs"),
            std::string::npos);
  EXPECT_NE(refusal("{\"fill\": {\"known\": \"yes\"}}").find(prefix + "its \"fill\" is not known"),
            std::string::npos);
  EXPECT_NE(refusal("{\"fill\": {\"known\": true, \"used_percent\": 50}}")
                .find(prefix + "it has no \"file_fragmentation\" group"),
            std::string::npos);

  // Numbers out of range: too large for a double, counts that overflow when added.
  EXPECT_TRUE(contains(refusal("{\"fill\": {\"known\": true, \"used_percent\": 1e400}}"),
                       prefix + "it is not JSON: number overflow parsing '1e400'"));
  const std::string huge = "9223372036854775807";
  EXPECT_TRUE(contains(
      refusal("{\"fill\": {\"known\": true, \"used_percent\": 50}, \"file_fragmentation\": "
              "{\"known\": true, \"layout_score\": 0.5, \"fragmented_percent\": 50, "
              "\"files_by_extents\": {\"0\": 0, \"1\": " +
              huge + ", \"2\": " + huge +
              ", \"3-4\": 0, \"5-8\": 0, \"9-16\": 0, \"17-32\": 0, \"33+\": 0}}}"),
      prefix + "its counts of files by extents add up to more than 2^63 - 1 files"));
  // A file far larger than any profile is refused by its size, unread.
  std::filesystem::resize_file(work / "profile.json", (std::uint64_t{16} << 20) + 1);
  const CliRun large = runCli({"run", "--template", kTemplate, "--target", target, "--like",
                               work / "profile.json", "--yes"});
  EXPECT_EQ(large.exitCode, 1);
  EXPECT_TRUE(contains(large.err, prefix + "it is 16777217 bytes (16.0 MiB), more than the 16 MiB"))
      << large.err;

  const CliRun both = runCli({"run", "--template", kTemplate, "--target", target, "--like",
                              work / "profile.json", "--layout", "0.7", "--yes"});
  EXPECT_EQ(both.exitCode, 2);
  EXPECT_NE(both.err.find("--like: the profile gives the fill and the layout"), std::string::npos);
  EXPECT_DOUBLE_EQ(
      aging::ksDistance(std::vector<std::int64_t>{1, 1, 0}, std::vector<std::int64_t>{0, 1, 1}),
      0.5);
}

}  // namespace
}  // namespace brimwell::testing
