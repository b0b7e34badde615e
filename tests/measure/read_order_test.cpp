// What a reader meets: the hard-disk model on extent lists made by hand, the breaks and the
// tree-order score from extents given by hand, and both on real ext4 and XFS volumes against
// the extents filefrag reads, file by file in find's order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "measure/read_order.h"
#include "support/cli_runner.h"
#include "support/measure_json.h"
#include "support/scratch_volume.h"
#include "support/source_templates.h"

namespace brimwell::testing {
namespace {

using measure::DiskReadModel;

constexpr std::uint64_t kMiB = 1 << 20;
constexpr std::uint64_t kVolume = 100 * kMiB;

double transferMs(std::uint64_t bytes) { return static_cast<double>(bytes) / 150e3; }
double seekMs(std::uint64_t distance) {
  return 1.0 + 7.0 * std::sqrt(static_cast<double>(distance) / kVolume) + 4.17;
}

TEST(DiskReadModel, ChargesASeekToEveryRunThatDoesNotStartWhereTheHeadStands) {
  {  // One whole file at the start: its transfer only.
    DiskReadModel model(kVolume);
    model.addFile(std::vector<Extent>{{0, 0, 15 * kMiB}});
    EXPECT_EQ(model.figures().seeks, 0);
    EXPECT_NEAR(model.figures().seconds, transferMs(15 * kMiB) / 1e3, 1e-9);
  }
  {  // Pieces in reverse order, each right before the one before: read as one run.
    DiskReadModel model(kVolume);
    model.addFile(
        std::vector<Extent>{{0, 2 * kMiB, kMiB}, {kMiB, kMiB, kMiB}, {2 * kMiB, 0, kMiB}});
    EXPECT_EQ(model.figures().runs, 1);
    EXPECT_EQ(model.figures().breakSeeks, 0);
    EXPECT_NEAR(model.figures().seconds, transferMs(3 * kMiB) / 1e3, 1e-9);
  }
  {  // Two files interleaved: a at 0 and 2 MiB, b at 1 and 3 MiB.
    DiskReadModel model(kVolume);
    model.addFile(std::vector<Extent>{{0, 0, kMiB}, {kMiB, 2 * kMiB, kMiB}});
    model.addFile(std::vector<Extent>{{0, 3 * kMiB, kMiB}, {kMiB, kMiB, kMiB}});
    const auto figures = model.figures();
    EXPECT_EQ(figures.runs, 4);
    EXPECT_EQ(figures.seeks, 3);       // a's second piece, then back to b's first, then on
    EXPECT_EQ(figures.breakSeeks, 2);  // one in each file
    EXPECT_EQ(figures.bytes, 4 * kMiB);
    EXPECT_NEAR(figures.seconds,
                (transferMs(4 * kMiB) + seekMs(kMiB) + seekMs(2 * kMiB) + seekMs(kMiB)) / 1e3,
                1e-9);
  }
  {  // Two files back to back, away from the start: one seek to reach them.
    DiskReadModel model(kVolume);
    model.addFile(std::vector<Extent>{{0, 50 * kMiB, kMiB}});
    model.addFile(std::vector<Extent>{});
    model.addFile(std::vector<Extent>{{0, 51 * kMiB, 2 * kMiB}});
    EXPECT_EQ(model.figures().seeks, 1);
    EXPECT_NEAR(model.figures().seconds, (seekMs(50 * kMiB) + transferMs(3 * kMiB)) / 1e3, 1e-9);
  }
}

TEST(ReadOrderTally, BreaksAndTreeOrderFollowTheBlocksAsTheyAreRead) {
  constexpr std::uint64_t kBlock = 4096;
  measure::ReadOrderTally tally(kBlock, kVolume);
  // Blocks 10-11, then 8-9 (reversed, touching), then 20 (forward 10), then 5 (back 16).
  tally.add(std::vector<Extent>{{0, 10 * kBlock, 2 * kBlock},
                                {2 * kBlock, 8 * kBlock, 2 * kBlock},
                                {4 * kBlock, 20 * kBlock, kBlock},
                                {5 * kBlock, 5 * kBlock, kBlock}});
  tally.add(std::vector<Extent>{});
  tally.add(std::vector<Extent>{{0, 6 * kBlock, 3 * kBlock}});  // follows block 5
  tally.add(std::vector<Extent>{{0, 30 * kBlock, kBlock}, {kBlock, 40 * kBlock, kBlock}});
  const auto figures = tally.figures();
  EXPECT_EQ(figures.breaks.breaks, 4);
  EXPECT_EQ(figures.breaks.reversedTouching, 1);
  EXPECT_EQ(figures.breaks.backward, 1);
  EXPECT_EQ(figures.breaks.forward, 2);
  EXPECT_EQ(figures.breaks.medianBackwardBlocks, 16);  // from block 21 back to 5
  EXPECT_EQ(figures.breaks.medianForwardBlocks, 9);    // 10 and 9 (31 to 40): the lower
  // 11 blocks; of the 10 after the first, 11 after 10, 9 after 8, and 6, 7, 8 after 5 follow.
  EXPECT_EQ(figures.treeOrder.blocks, 10);
  EXPECT_EQ(figures.treeOrder.following, 5);
}

// Blocks of one file as filefrag -v lists them, merged where they continue each other.
struct Piece {
  std::int64_t logical, physical, length;
};

// Every file under `folder` in find's order (the same depth-first walk in listing order).
std::vector<std::vector<Piece>> filefragPieces(const std::string& folder) {
  std::istringstream report(shellOutput("find '" + folder + "' -type f -exec filefrag -v {} +"));
  const std::regex extentLine(R"(^\s*\d+:\s*(\d+)\.\.\s*\d+:\s*(\d+)\.\.\s*\d+:\s*(\d+):)");
  std::vector<std::vector<Piece>> files;
  for (std::string line; std::getline(report, line);) {
    std::smatch match;
    if (line.rfind("File size of ", 0) == 0) {
      files.emplace_back();
    } else if (std::regex_search(line, match, extentLine)) {
      const Piece piece{std::stoll(match[1]), std::stoll(match[2]), std::stoll(match[3])};
      auto& pieces = files.back();
      if (!pieces.empty() && pieces.back().logical + pieces.back().length == piece.logical &&
          pieces.back().physical + pieces.back().length == piece.physical) {
        pieces.back().length += piece.length;
      } else {
        pieces.push_back(piece);
      }
    }
  }
  return files;
}

std::int64_t lowerMedian(std::vector<std::int64_t> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[(values.size() - 1) / 2];
}

class ReadOrderOnVolume : public ::testing::TestWithParam<ScratchVolume::Kind> {};

TEST_P(ReadOrderOnVolume, BreaksAndTreeOrderAgreeWithFilefrag) {
  const std::string skip = ScratchVolume::skipReason(GetParam());
  if (!skip.empty()) GTEST_SKIP() << skip;
  ScratchVolume volume(GetParam(), GetParam() == ScratchVolume::Kind::Xfs ? 320 : 64);
  const std::string target = volume.mountPoint() + "/t/";
  for (const char* prefix : {"001-", "002-"}) {
    const CliRun run = runCli({"run", "--template", sourceTemplate("unix-1993"), "--target", target,
                               "--files", "700", "--layout", "0.6", "--prefix", prefix, "--percent",
                               "30", "--seed", "3", "--yes", "--append"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
  }
  const CliRun measured = runCli({"measure", target, "--json", "--read-cost"});
  ASSERT_EQ(measured.exitCode, 0) << measured.err;
  const std::string& json = measured.out;

  std::int64_t blocks = 0, following = 0, breaks = 0, touching = 0;
  std::vector<std::int64_t> forward, backward;
  std::int64_t lastEnd = -1;
  for (const auto& pieces : filefragPieces(target)) {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      const Piece& piece = pieces[i];
      blocks += piece.length - (lastEnd < 0 ? 1 : 0);
      following += piece.length - 1 + (piece.physical == lastEnd ? 1 : 0);
      lastEnd = piece.physical + piece.length;
      if (i == 0) continue;
      ++breaks;
      const Piece& before = pieces[i - 1];
      const std::int64_t distance = piece.physical - (before.physical + before.length);
      if (piece.physical + piece.length == before.physical) {
        ++touching;
      } else {
        (distance >= 0 ? forward : backward).push_back(std::abs(distance));
      }
    }
  }
  const std::string group = "file_fragmentation";
  EXPECT_GT(breaks, 100);
  EXPECT_EQ(jsonNumber(json, group, "tree_order_blocks"), blocks);
  EXPECT_EQ(jsonNumber(json, group, "tree_order_following"), following);
  EXPECT_EQ(jsonNumber(json, group + "/breaks", "breaks"), breaks);
  EXPECT_EQ(jsonNumber(json, group + "/breaks", "reversed_touching"), touching);
  EXPECT_EQ(jsonNumber(json, group + "/breaks", "backward"), backward.size());
  EXPECT_EQ(jsonNumber(json, group + "/breaks", "median_forward_blocks"), lowerMedian(forward));
  EXPECT_EQ(jsonNumber(json, group + "/breaks", "median_backward_blocks"), lowerMedian(backward));
  // Reversed touching pieces are read as one run; others mostly cost a seek.
  EXPECT_LE(jsonNumber(json, "read_cost", "break_seeks"), breaks - touching);
  EXPECT_GT(jsonNumber(json, "read_cost", "break_seeks"), (breaks - touching) / 2);
  EXPECT_GT(jsonNumber(json, "read_cost", "seconds"), 0);
}

INSTANTIATE_TEST_SUITE_P(Volumes, ReadOrderOnVolume,
                         ::testing::Values(ScratchVolume::Kind::Ext4, ScratchVolume::Kind::Xfs),
                         [](const auto& parameter) {
                           return parameter.param == ScratchVolume::Kind::Xfs ? "Xfs" : "Ext4";
                         });

}  // namespace
}  // namespace brimwell::testing
