// A measurement of a folder and the volume it lies on: how full the volume is, how well the
// file sizes under the folder fit a template, how fragmented those files are, how the free
// space is split up, and, on request, how a new large file gets laid out.
//
// Every group of figures says whether it is known; one that is not carries the reason
// (`why`), so a file system that reports less (tmpfs, a network share) still gives the rest.
// The measurement reads, except for the probe file, which it writes and deletes again.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/byte_total.h"
#include "app/context.h"
#include "walk/unread_paths.h"

namespace brimwell::measure {

struct FillFigures {
  bool known = false;
  std::string why;
  std::uint64_t volumeBytes = 0;
  std::uint64_t usedBytes = 0;
  std::uint64_t freeBytes = 0;       // reserved blocks included
  std::uint64_t availableBytes = 0;  // free for users other than root
  std::uint32_t blockSize = 0;
  double usedPercent = 0;
  std::string fileSystem{};  // "ext4", "xfs", "NTFS", ...; "" when the system does not say
  // Under the measured folder (known also when the volume's figures are not).
  std::int64_t files = 0;
  ByteTotal bytes = 0;
  std::int64_t folders = 0;
};

struct FitRow {
  std::string threshold;       // as the template gives it
  double templatePercent = 0;  // the row's share of the template's counts
  std::int64_t files = 0;      // files measured in the row
  double achievedPercent = 0;  // their share of the files measured
};

struct FitFigures {
  bool known = false;  // false: no template given, or no files to classify
  std::string why;
  std::vector<FitRow> rows;
  double largestDifference = 0;  // in points, achieved minus template, largest in size
  std::size_t largestRow = 0;
};

// Files by extent count: 0 (empty), 1, 2, 3-4, 5-8, 9-16, 17-32, 33 and more.
inline constexpr std::size_t kExtentClasses = 8;
const char* extentClassName(std::size_t index);

struct FileLayoutFigures {
  bool known = false;
  std::string why;
  std::int64_t files = 0;           // files whose extents were read
  std::int64_t unreadable = 0;      // files that could not be opened
  std::int64_t resident = 0;        // files kept inside their file records (no place of their own)
  std::int64_t unplaced = 0;        // files whose place the file system does not tell
  std::int64_t fragmented = 0;      // files of more than one extent
  std::int64_t extents = 0;         // over all files read
  std::int64_t largestExtents = 0;  // most extents of one file
  std::array<std::int64_t, kExtentClasses> histogram{};
  // Over files of two blocks or more: blocks that follow the file's previous block on the
  // volume, out of all blocks but each file's first (1.0: every file contiguous).
  std::int64_t layoutBlocks = 0;
  std::int64_t contiguousBlocks = 0;
  double layoutScore = 1.0;
  double fragmentedPercent() const;
  double meanExtents() const;
};

// How the pieces of split files lie, break by break: for consecutive pieces A then B of a file
// (in file order), B is reversed and touching when it ends right where A starts; otherwise
// its distance is B's first block minus the block after A's last (forward when positive,
// backward when negative).
struct BreakFigures {
  std::int64_t breaks = 0;
  std::int64_t reversedTouching = 0;
  std::int64_t backward = 0;
  std::int64_t forward = 0;
  std::int64_t medianForwardBlocks = 0;   // 0 with no forward break
  std::int64_t medianBackwardBlocks = 0;  // as a distance (positive); 0 with no backward break
  double reversedTouchingShare() const;
  double backwardShare() const;
};

// A reader's view of the tree: every file read in walk order, each in file order. A block
// follows when it lies right after the block read before it, across file boundaries too
// (1.0: the whole tree lies in one run, in walk order).
struct TreeOrderFigures {
  std::int64_t blocks = 0;     // every block read but the first
  std::int64_t following = 0;  // of them, those right after the block read before
  double score = 1.0;
};

// The time a hard disk is modelled to take reading every file in walk order. Per file, its
// extents sorted by place and touching ones merged into runs (as the block layer merges one
// file's read-ahead); the head starts at 0; a run that starts where the head stands costs its
// transfer only, any other a seek of kSeekMs + kSeekSpanMs x sqrt(min(1, distance / volume
// size)), half a rotation and its transfer; the head then stands at the run's end.
struct DiskModel {
  static constexpr double kSeekMs = 1.0;
  static constexpr double kSeekSpanMs = 7.0;
  static constexpr double kHalfRotationMs = 4.17;
  static constexpr double kMegabytesPerSecond = 150.0;  // of 1,000,000 bytes
};

// "seek 1 ms + 7 ms x sqrt(distance / volume size), half a rotation 4.17 ms, 150 MB/s".
std::string diskModelText();

struct ReadCostFigures {
  bool requested = false;
  bool known = false;
  std::string why;
  double seconds = 0;
  std::int64_t runs = 0;
  std::int64_t seeks = 0;       // runs that did not start where the head stood
  std::int64_t breakSeeks = 0;  // of them, those between the pieces of one file
  std::uint64_t bytes = 0;      // transferred
};

struct ReadOrderFigures {
  bool known = false;  // as the file fragmentation: extents read for every file
  std::string why;
  BreakFigures breaks;
  TreeOrderFigures treeOrder;
  ReadCostFigures readCost;  // known only when asked for and the volume's size is known
};

struct FreeSpaceFigures {
  bool known = false;
  std::string why;
  std::int64_t extents = 0;
  std::uint64_t freeBytes = 0;
  std::uint64_t medianBytes = 0;
  std::uint64_t largestBytes = 0;
  // Device space in no block group yet (Btrfs): free, though in none of the extents above.
  bool unallocatedKnown = false;
  std::uint64_t unallocatedBytes = 0;
  // histogram[k]: free extents of 2^k bytes up to (not including) 2^(k+1) bytes;
  // bytesByClass[k]: the bytes they hold.
  std::array<std::int64_t, 64> histogram{};
  std::array<std::uint64_t, 64> bytesByClass{};
};

// The first and last size class that hold free extents (first > last: none do).
std::pair<std::size_t, std::size_t> usedSizeClasses(const FreeSpaceFigures& free);

struct ProbeFigures {
  bool requested = false;
  bool known = false;
  bool stopped = false;  // the user stopped it (Ctrl-C) before it was written
  std::string why;
  std::uint64_t bytes = 0;
  std::int64_t extents = 0;
};

struct Measurement {
  std::string target;
  FillFigures fill;
  FitFigures fit;
  FileLayoutFigures files;
  ReadOrderFigures readOrder;
  FreeSpaceFigures freeSpace;
  ProbeFigures probe;
  // The folders and files under the target that could not be read: the figures above
  // leave them out.
  walk::UnreadPaths unread;
};

struct MeasureRequest {
  std::string target;            // the folder to measure, a native path
  std::string templateFile;      // empty: no fit
  std::uint64_t probeBytes = 0;  // 0: no probe
  bool readCost = false;         // model a hard disk's read time
};

// Measures. Fails (Failure) only when the target is not a folder, the template cannot be
// read, or the probe cannot be written; whatever the file system does not report is marked
// unknown with its reason.
Measurement measure(const MeasureRequest& request, Context& context);

// The breaks and the tree-order score alone of the files under `target` (no read-time model).
ReadOrderFigures measureReadOrder(const std::string& target, Context& context);

}  // namespace brimwell::measure
