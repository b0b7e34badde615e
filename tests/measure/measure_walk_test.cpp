// The measure walk on the pool's threads gives the figures the walk on one thread gives: the
// same files' sizes in the same order, the same folders, the same merged extent figures, and
// the same blocks followed from file to file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "measure/extent_query.h"
#include "measure/read_order.h"
#include "measure/tree_walk.h"
#include "platform/posix_file_system.h"
#include "platform/volume.h"
#include "platform/windows_errors.h"
#include "support/cli_runner.h"
#include "support/fault_injecting_file_system.h"
#include "support/scratch_volume.h"
#include "support/source_templates.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

struct Walked {
  std::vector<std::uint64_t> sizes;
  std::int64_t folders = 0;
  measure::FileLayoutFigures figures;
  measure::ReadOrderFigures order;
  walk::UnreadPaths unread;
};

Walked walkOn(FileSystem& fs, const std::string& root, std::size_t threads) {
  measure::ExtentQuery query(fs, nativeVolume(), 4096, threads);
  Walked walked;
  std::vector<std::uint64_t> answers;
  const auto folders = measure::walkFiles(
      fs, root, '/', query, threads, [&](std::uint64_t answer) { answers.push_back(answer); },
      walked.unread);
  EXPECT_TRUE(folders.has_value());
  walked.folders = folders.value_or(-1);
  walked.figures = query.figures();
  measure::ReadOrderTally order(4096, 64 << 20);
  for (const std::uint64_t answer : answers) {
    walked.sizes.push_back(query.file(answer).size);
    order.add(query.file(answer).extents);
  }
  walked.order = order.figures();
  return walked;
}

TEST(MeasureWalk, ThreadedWalkGivesTheFiguresOfTheOneThreadWalk) {
  const std::string skip = ScratchVolume::skipReason(ScratchVolume::Kind::Ext4);
  if (!skip.empty()) GTEST_SKIP() << skip;
  ScratchVolume volume(ScratchVolume::Kind::Ext4, 64);
  const std::string root = volume.mountPoint() + "/";
  // Two batches, the second partly into the holes the first left: files of many extents.
  for (const char* seed : {"3", "4"}) {
    const std::string prefix = std::string("00") + seed + "-";
    const CliRun run = runCli({"run", "--template", sourceTemplate("default"), "--target", root,
                               "--files", "600", "--folders", "30", "--prefix", prefix, "--percent",
                               "40", "--seed", seed, "--append", "--yes"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
  }
  // A link to a folder is counted as a folder and not entered; a sparse file has holes.
  std::filesystem::create_directory_symlink(root + "lost+found", root + "linked");
  {
    std::ofstream sparse(root + "sparse.dat", std::ios::binary);
    for (int part = 0; part < 4; ++part) {
      sparse.seekp(part * 65536);
      sparse << "data";
    }
  }
  nativeVolume().settle(root);

  PosixFileSystem fs;
  const Walked one = walkOn(fs, root, 1);
  ASSERT_GT(one.sizes.size(), 500u);
  ASSERT_TRUE(one.figures.known) << one.figures.why;
  EXPECT_GT(one.figures.fragmented, 0);
  EXPECT_GT(one.folders, 30);
  for (const std::size_t threads : {2, 3}) {
    const Walked many = walkOn(fs, root, threads);
    EXPECT_EQ(many.sizes, one.sizes) << threads;
    EXPECT_EQ(many.folders, one.folders) << threads;
    const auto& a = one.figures;
    const auto& b = many.figures;
    EXPECT_TRUE(b.known);
    EXPECT_EQ(b.files, a.files);
    EXPECT_EQ(b.unreadable, a.unreadable);
    EXPECT_EQ(b.fragmented, a.fragmented);
    EXPECT_EQ(b.extents, a.extents);
    EXPECT_EQ(b.largestExtents, a.largestExtents);
    EXPECT_EQ(b.histogram, a.histogram);
    EXPECT_EQ(b.layoutBlocks, a.layoutBlocks);
    EXPECT_EQ(b.contiguousBlocks, a.contiguousBlocks);
    EXPECT_DOUBLE_EQ(b.layoutScore, a.layoutScore);
    EXPECT_EQ(many.order.treeOrder.following, one.order.treeOrder.following);
    EXPECT_EQ(many.order.breaks.breaks, one.order.breaks.breaks);
    EXPECT_DOUBLE_EQ(many.order.readCost.seconds, one.order.readCost.seconds);
  }
}

// A subfolder that is gone when the walk comes to list it (renamed or removed after its
// parent was listed) is named as unread, on one thread and on the pool, like a file.
TEST(MeasureWalk, AFolderThatVanishesWhileWalkedIsNamedAsUnread) {
  TempDir dir;
  dir.writeFile("a/f", "abc");
  dir.writeFile("b/g", "de");
  PosixFileSystem real;
  for (const std::size_t threads : {1, 2}) {
    FaultInjectingFileSystem fs(real, threads > 1);
    // The root's listing comes first; the second is a subfolder's.
    if (threads > 1) {
      fs.failNthHelperListing(2, winerr::kPathNotFound, false);
    } else {
      fs.failNth(FaultInjectingFileSystem::Op::List, 2, winerr::kPathNotFound);
    }
    const Walked walked = walkOn(fs, dir.path(), threads);
    EXPECT_EQ(walked.sizes.size(), 1u) << threads;
    EXPECT_EQ(walked.unread.folders(), 1) << threads;
    ASSERT_EQ(walked.unread.named().size(), 1u) << threads;
    EXPECT_EQ(walked.unread.named()[0].reason, "it vanished while the walk ran");
  }
}

}  // namespace
}  // namespace brimwell::testing
