// The order in which cut files' pieces are given their places: first piece first, in turns
// with other files, each later piece beyond a spacer that is taken out again, also when a
// file is left alone; with spacers only when alone, turns within a folder and spacers, as
// many as the files allow, for the file its folder's end leaves alone; where nothing can be
// taken out, each file from its last piece at once; kept apart by the turns alone, from the
// last piece without spacers; a failure stops the placing and leaves the files not written.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "aging/piece_turns.h"

namespace brimwell::testing {
namespace {

using aging::PieceTurns;

constexpr std::uint64_t kBlock = 4096;

// Records every call as "name:reserve@block+blocks" or "name:collapse@block".
class RecordingFile : public WritableFile {
 public:
  RecordingFile(std::string name, std::vector<std::string>& log, bool collapses)
      : name_(std::move(name)), log_(log), collapses_(collapses) {}
  int write(const void*, std::size_t size, std::size_t& written) override {
    written = size;
    return 0;
  }
  int reserve(std::uint64_t offset, std::uint64_t size, bool& placed) override {
    placed = true;
    log_.push_back(name_ + ":reserve@" + std::to_string(offset / kBlock) + "+" +
                   std::to_string(size / kBlock));
    return failAt_ == log_.size() ? winerr::kDiskFull : 0;
  }
  int collapse(std::uint64_t offset, std::uint64_t) override {
    if (!collapses_) return winerr::kNotSupported;
    log_.push_back(name_ + ":collapse@" + std::to_string(offset / kBlock));
    return 0;
  }
  int close() override { return 0; }
  std::size_t failAt_ = 0;  // the call (counted in the log) that fails; 0: none

 private:
  std::string name_;
  std::vector<std::string>& log_;
  bool collapses_;
};

struct Turns {
  explicit Turns(bool canCollapse, PieceTurns::Apart apart = PieceTurns::Apart::Spacers,
                 double spacersPerJoin = 1.0)
      : turns(kBlock, apart, spacersPerJoin), collapses(canCollapse) {}
  PieceTurns turns;
  std::vector<std::string> log;
  std::vector<std::size_t> done;  // rows handed back, in order
  bool collapses;
  const PieceTurns::Placed placed = [this](PieceTurns::File& file) {
    done.push_back(file.row);
    return true;
  };
  // A file of the given piece sizes, in blocks.
  PieceTurns::File file(std::size_t row, std::vector<std::uint64_t> blocks,
                        std::string_view folder = {}) {
    PieceTurns::File made;
    made.row = row;
    made.folder = folder;
    made.file = std::make_unique<RecordingFile>(std::string(1, static_cast<char>('a' + row)), log,
                                                collapses);
    made.bounds.push_back(0);
    for (const std::uint64_t b : blocks) made.bounds.push_back(made.bounds.back() + b * kBlock);
    return made;
  }
};

TEST(PieceTurns, WhereNothingCanBeTakenOutEachFileGoesFromItsLastPieceAtOnce) {
  Turns t(false);
  ASSERT_TRUE(t.turns.add(t.file(0, {1, 2, 1}), t.placed));
  ASSERT_TRUE(t.turns.add(t.file(1, {2, 2}), t.placed));
  EXPECT_EQ(t.done, (std::vector<std::size_t>{0, 1}));
  ASSERT_TRUE(t.turns.finish(t.placed));
  // The first call learns that nothing can be taken out (two blocks stay reserved).
  EXPECT_EQ(t.log, (std::vector<std::string>{"a:reserve@0+2", "a:reserve@3+1", "a:reserve@1+2",
                                             "a:reserve@0+1", "b:reserve@2+2", "b:reserve@0+2"}));
}

TEST(PieceTurns, LaterPiecesGoForwardInTurnsBeyondASpacerAlsoWhenAlone) {
  Turns t(true);
  ASSERT_TRUE(t.turns.add(t.file(0, {1, 3, 1, 1}), t.placed));
  ASSERT_TRUE(t.turns.add(t.file(1, {2, 1}), t.placed));
  EXPECT_EQ(t.done, (std::vector<std::size_t>{1}));
  ASSERT_TRUE(t.turns.finish(t.placed));
  EXPECT_EQ(t.log, (std::vector<std::string>{
                       "a:reserve@0+2", "a:collapse@0", "a:reserve@0+1",  // learnt, a's first
                       "b:reserve@0+2",                                   // b's first
                       "a:reserve@1+1", "a:reserve@2+3", "a:collapse@1",  // a's second, spaced
                       "b:reserve@2+1", "b:reserve@3+1", "b:collapse@2",  // b's last, spaced
                       "a:reserve@4+1", "a:reserve@5+1", "a:collapse@4",  // a alone, spaced
                       "a:reserve@5+1", "a:reserve@6+1", "a:collapse@5"}));
  EXPECT_EQ(t.done, (std::vector<std::size_t>{1, 0}));
}

TEST(PieceTurns, WithSpacersOnlyWhenAloneFilesTakeTurnsWithinTheirFolder) {
  Turns t(true, PieceTurns::Apart::SpacersWhenAlone);
  ASSERT_TRUE(t.turns.add(t.file(0, {1, 1, 1, 1}, "x"), t.placed));
  ASSERT_TRUE(t.turns.add(t.file(1, {1, 1}, "x"), t.placed));
  ASSERT_TRUE(t.turns.add(t.file(2, {1, 1}, "y"), t.placed));
  ASSERT_TRUE(t.turns.finish(t.placed));
  EXPECT_EQ(
      t.log,
      (std::vector<std::string>{
          "a:reserve@0+2", "a:collapse@0", "a:reserve@0+1",                   // learnt, a's first
          "b:reserve@0+1", "a:reserve@1+1", "b:reserve@1+1",                  // turns in x
          "a:reserve@2+1", "a:reserve@3+1", "a:reserve@4+1", "a:collapse@3",  // then a alone
          "c:reserve@0+1", "c:reserve@1+1", "c:reserve@2+1", "c:collapse@1"}));  // y: c, alone
  EXPECT_EQ(t.done, (std::vector<std::size_t>{1, 0, 2}));
}

TEST(PieceTurns, PiecesPlacedAloneTakeOnlyTheSpacersTheFilesAllow) {
  Turns t(true, PieceTurns::Apart::SpacersWhenAlone, 0.5);
  ASSERT_TRUE(t.turns.add(t.file(0, {1, 1, 1, 1}, "x"), t.placed));  // 3 joins: 1.5 spacers
  ASSERT_TRUE(t.turns.finish(t.placed));
  EXPECT_EQ(t.log, (std::vector<std::string>{"a:reserve@0+2", "a:collapse@0", "a:reserve@0+1",
                                             "a:reserve@1+1", "a:reserve@2+1", "a:collapse@1",
                                             "a:reserve@2+1", "a:reserve@3+1"}));
}

TEST(PieceTurns, KeptApartByTheTurnsAloneEachFileGoesFromItsLastPieceWithoutASpacer) {
  Turns t(false, PieceTurns::Apart::Turns);
  ASSERT_TRUE(t.turns.add(t.file(0, {1, 3, 1, 1}), t.placed));
  ASSERT_TRUE(t.turns.add(t.file(1, {2, 1}), t.placed));
  EXPECT_EQ(t.done, (std::vector<std::size_t>{1}));
  ASSERT_TRUE(t.turns.finish(t.placed));
  EXPECT_EQ(t.log, (std::vector<std::string>{"a:reserve@5+1", "b:reserve@2+1", "a:reserve@4+1",
                                             "b:reserve@0+2", "a:reserve@1+3", "a:reserve@0+1"}));
  EXPECT_EQ(t.done, (std::vector<std::size_t>{1, 0}));
}

TEST(PieceTurns, AFailedPlaceStopsAndLeavesTheFilesNotHandedBack) {
  Turns t(true);
  ASSERT_TRUE(t.turns.add(t.file(0, {1, 1, 1}), t.placed));
  auto second = t.file(1, {1, 1});
  static_cast<RecordingFile&>(*second.file).failAt_ = 4;  // b's first piece
  EXPECT_FALSE(t.turns.add(std::move(second), t.placed));
  EXPECT_EQ(t.turns.error(), winerr::kDiskFull);
  EXPECT_EQ(t.turns.lastRow(), 1u);
  const auto open = t.turns.takeOpen();
  ASSERT_EQ(open.size(), 2u);
  EXPECT_EQ(open[0].row, 0u);
  EXPECT_EQ(open[1].row, 1u);
  EXPECT_TRUE(t.done.empty());
}

}  // namespace
}  // namespace brimwell::testing
