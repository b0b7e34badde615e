// Plans checked against the volume before anything is written (run --files, reproduce, the
// probe, --fill), the fill model on tmpfs, a kill in a later round, Ctrl-C during a probe,
// and an erase whose list cannot be rewritten: on tmpfs mounts the tests make themselves.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/cli_runner.h"
#include "support/contains.h"
#include "support/measure_json.h"
#include "support/scratch_volume.h"
#include "support/source_templates.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

namespace fs = std::filesystem;

const std::string kTemplate = sourceTemplate("default");

class VolumePlans : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::Tmpfs);
    if (!skip.empty()) GTEST_SKIP() << skip;
  }
  TempDir lists;
};

TEST_F(VolumePlans, WhatCannotFitIsRefusedBeforeWritingNamingTheVolume) {
  ScratchVolume volume(ScratchVolume::Kind::Tmpfs, 16);
  const std::string target = volume.mountPoint() + "/job/";
  const std::string named = "mounted on " + volume.mountPoint();
  const CliRun run = runCli({"run", "--template", kTemplate, "--target", target, "--files", "20000",
                             "--seed", "1", "--yes", "--list", lists / "run.txt"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.err, named)) << run.err;
  ASSERT_EQ(runCli({"build", "--template", kTemplate, "--target", target, "--files", "20000",
                    "--seed", "1", "--list", lists / "big.txt"})
                .exitCode,
            0);
  const CliRun reproduce = runCli({"reproduce", "--list", lists / "big.txt", "--yes"});
  EXPECT_EQ(reproduce.exitCode, 1);
  EXPECT_TRUE(contains(reproduce.err, named)) << reproduce.err;
  const CliRun probe = runCli({"measure", volume.mountPoint(), "--probe", "1T"});
  EXPECT_EQ(probe.exitCode, 1);
  EXPECT_TRUE(contains(probe.err, "does not fit: the volume " + named)) << probe.err;
  EXPECT_EQ(regularFilesUnder(volume.mountPoint(), "/"), 0u);

  // A mistyped target further up than its last folder sizes nothing.
  const CliRun typo =
      runCli({"build", "--template", kTemplate, "--target", volume.mountPoint() + "/scrach/job/",
              "--fill", "50", "--list", lists / "typo.txt"});
  EXPECT_EQ(typo.exitCode, 1);
  EXPECT_TRUE(contains(typo.err, "has no scrach in it")) << typo.err;
}

TEST_F(VolumePlans, FillLandsWithinTwoPointsOnTmpfsWhereFoldersTakeNoBlocks) {
  ScratchVolume volume(ScratchVolume::Kind::Tmpfs, 48);
  const std::string target = volume.mountPoint() + "/";
  ASSERT_EQ(runCli({"build", "--template", kTemplate, "--target", target, "--fill", "60",
                    "--folders", "300", "--seed", "1", "--list", lists / "a.txt"})
                .exitCode,
            0);
  ASSERT_EQ(runCli({"reproduce", "--list", lists / "a.txt", "--seed", "1", "--yes"}).exitCode, 0);
  const CliRun measured = runCli({"measure", volume.mountPoint(), "--json"});
  const double used = jsonNumber(measured.out, "fill", "used_percent");
  EXPECT_GE(used, 58.0);
  EXPECT_LE(used, 60.0);
}

TEST_F(VolumePlans, AKillInALaterRoundLeavesAListThatErasesEveryFile) {
  ScratchVolume volume(ScratchVolume::Kind::Tmpfs, 24);
  const std::string list = lists / "left.txt";
  const CliRun killed = runCliSignalled(
      {"run", "--template", kTemplate, "--target", volume.mountPoint() + "/", "--fill", "80",
       "--rounds", "4", "--folders", "60", "--seed", "1", "--yes", "--list", list},
      [&] { return regularFilesUnder(volume.mountPoint(), "/001-r2-") >= 20; }, SIGKILL);
  ASSERT_EQ(killed.exitCode, 128 + SIGKILL) << killed.err;
  const CliRun erased = runCli({"erase", "--list", list, "--yes"});
  EXPECT_EQ(erased.exitCode, 0) << erased.err;
  EXPECT_EQ(regularFilesUnder(volume.mountPoint(), "/"), 0u);
}

TEST_F(VolumePlans, CtrlCDuringAProbeRemovesItAndExitsAsStopped) {
  ScratchVolume volume(ScratchVolume::Kind::Tmpfs, 512);
  const CliRun stopped = runCliSignalled(
      {"measure", volume.mountPoint(), "--probe", "448M"},
      [&] { return regularFilesUnder(volume.mountPoint(), "/brimwell-probe-") > 0; }, SIGINT);
  EXPECT_EQ(stopped.exitCode, 3) << stopped.out << stopped.err;
  EXPECT_TRUE(contains(stopped.out, "stopped")) << stopped.out;
  EXPECT_EQ(regularFilesUnder(volume.mountPoint(), "/"), 0u);
}

TEST_F(VolumePlans, AnEraseWhoseListCannotBeRewrittenStillSaysWhatItDeleted) {
  ScratchVolume volume(ScratchVolume::Kind::Tmpfs, 1);
  const std::string list = volume.mountPoint() + "/list.txt";
  ASSERT_EQ(runCli({"run", "--template", kTemplate, "--target", lists / "drive/", "--files", "20",
                    "--seed", "1", "--yes", "--list", list})
                .exitCode,
            0);
  // A read-only file stays, so the list has something to keep; the volume that holds the
  // list is full, so the list can be read and locked but not rewritten.
  const std::string kept = entriesOf(readWholeFile(list)).front();
  fs::permissions(kept.substr(0, kept.rfind('\t')), fs::perms::owner_read);
  {
    std::ofstream ballast(volume.mountPoint() + "/ballast", std::ios::binary);
    ballast << std::string(1 << 20, 'x');
  }
  const CliRun erase = runCli({"erase", "--list", list, "--yes"});
  EXPECT_EQ(erase.exitCode, 1);
  EXPECT_TRUE(
      contains(erase.out, "Deleted 16 files; 1 listed file could not be deleted; the list " + list +
                              " could not be rewritten"))
      << erase.out << erase.err;
  EXPECT_EQ(regularFilesUnder(lists / "drive", "/"), 1u);
}

}  // namespace
}  // namespace brimwell::testing
