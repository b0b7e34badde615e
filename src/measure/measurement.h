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
};

// Measures. Fails (Failure) only when the target is not a folder, the template cannot be
// read, or the probe cannot be written; whatever the file system does not report is marked
// unknown with its reason.
Measurement measure(const MeasureRequest& request, Context& context);

}  // namespace brimwell::measure
