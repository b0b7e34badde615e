// The arithmetic that steers a batch of files to a layout score while it is written.
//
// The layout score counts, over files of two blocks or more, the joins between a block and the
// next (blocks - 1 per file) and how many of them are contiguous; a file cut into n pieces
// loses up to n - 1. The steer plans each file's cuts as it comes: every join is cut with one
// share p, so larger files are split more often and into more pieces, as aging splits them,
// and every file keeps about the aimed score (deleting some later leaves the score about where
// it was; the files the erase right after the batch takes are known before, and the writer
// counts none of them here). As files are measured it learns two things and sets p for the
// rest so the whole lands on the aim: how often the file system breaks a join of its own (a
// file written whole is split where the free space is; more often as the volume fills, so this
// is learnt from the files measured last), and how many breaks a planned cut makes (a piece
// may still land right after its predecessor, or be split again).
#pragma once

#include <cstdint>

namespace brimwell::aging {

// Joins and contiguous joins of a set of files.
struct LayoutJoins {
  std::int64_t joins = 0;
  std::int64_t contiguous = 0;
  double score() const;  // 1.0 when there is no join
};

// The joins of a file of `size` bytes: its blocks but the first.
std::int64_t fileJoins(std::int64_t size, std::uint32_t blockSize);

// The lowest score the files on disk and a batch of `batchJoins` can reach: every join of
// the batch cut.
double lowestLayoutScore(const LayoutJoins& onDisk, std::int64_t batchJoins);
// The highest: every file of the batch whole, the files on disk as they are.
double highestLayoutScore(const LayoutJoins& onDisk, std::int64_t batchJoins);

class LayoutSteer {
 public:
  // `aim`: the score for the files on disk and the batch together; `batchJoins`: the joins
  // of the batch to be written.
  LayoutSteer(double aim, const LayoutJoins& onDisk, std::int64_t batchJoins);

  // The share of joins to cut in the next file.
  double cutShare() const { return cutShare_; }
  // The cuts wanted in the files still to be planned, as of the files planned so far.
  double cutsToCome() const;
  // A file planned with `joins` joins and `cuts` of them cut.
  void planned(std::int64_t joins, std::int64_t cuts);
  // Files written and measured since the last call: what the files planned with cuts hold
  // and the `cuts` planned in them, and what the files planned whole hold.
  void measured(const LayoutJoins& cutFiles, std::int64_t cuts, const LayoutJoins& wholeFiles);

 private:
  void steer();
  // The file system's own breaks per join left uncut, as the files measured last show.
  double ownBreaks() const;
  // Breaks per planned cut, as measured, beyond the file system's own.
  double yield() const;
  // The breaks expected in `joins` joins with `cuts` of them cut.
  double expectedBreaks(double joins, double cuts) const;
  double wantedCuts() const;  // cuts wanted in the joins to come, unbounded
  std::int64_t joinsToCome() const { return batchJoins_ - plannedJoins_; }

  double aim_;
  LayoutJoins onDisk_;
  std::int64_t batchJoins_;
  std::int64_t plannedJoins_ = 0;   // joins of files planned so far
  std::int64_t plannedCuts_ = 0;    // cuts planned so far
  std::int64_t measuredJoins_ = 0;  // of those files, measured
  std::int64_t measuredCuts_ = 0;
  std::int64_t measuredBreaks_ = 0;
  // The joins and breaks of the files written whole, the older ones weighing less and less.
  double recentJoins_ = 0;
  double recentBreaks_ = 0;
  // Over the files with cuts: their breaks less the file system's own expected in them.
  double breaksOfCuts_ = 0;
  double cutShare_ = 0;
};

}  // namespace brimwell::aging
