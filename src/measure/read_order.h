// What a reader meets who reads every file under a folder in walk order, each in file order:
// the breaks between a split file's pieces, the tree-order layout score, and a hard disk's
// modelled read time. Files are given one after another in walk order.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "measure/measurement.h"
#include "platform/volume_layout.h"

namespace brimwell::measure {

// The hard disk of DiskModel reading files one after another.
class DiskReadModel {
 public:
  // On a volume of `volumeBytes` bytes (the seek's span).
  explicit DiskReadModel(std::uint64_t volumeBytes) : volumeBytes_(volumeBytes) {}

  // The next file's extents, in any order.
  void addFile(std::span<const Extent> extents);

  // Known; `why` empty.
  ReadCostFigures figures() const;

 private:
  void read(std::uint64_t start, std::uint64_t length);

  std::uint64_t volumeBytes_;
  std::uint64_t head_ = 0;
  double milliseconds_ = 0;
  ReadCostFigures figures_;
  std::vector<Extent> runs_;  // the file being read, sorted and merged
};

class ReadOrderTally {
 public:
  // On a volume of `blockSize` bytes a block and `volumeBytes` bytes in all.
  ReadOrderTally(std::uint32_t blockSize, std::uint64_t volumeBytes);

  // The next file in walk order: its extents in file order.
  void add(std::span<const Extent> extents);

  // Known; the read cost is known too (the caller leaves it out when not asked for).
  ReadOrderFigures figures() const;

 private:
  void addBreak(const Extent& before, const Extent& after);

  std::uint64_t blockSize_;
  bool started_ = false;       // a block has been read
  std::uint64_t lastEnd_ = 0;  // the byte after the last block read
  BreakFigures breaks_;
  TreeOrderFigures treeOrder_;
  std::vector<std::int64_t> forward_;   // distances in blocks
  std::vector<std::int64_t> backward_;  // as positive distances
  DiskReadModel model_;
};

}  // namespace brimwell::measure
