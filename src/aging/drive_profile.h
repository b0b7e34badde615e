// A drive's state as `measure --json` recorded it, for run --like to age another drive to:
// how full it was, how its files lie (layout score, files by extent count) and how its free
// space is split.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "measure/measurement.h"

namespace brimwell::aging {

using ExtentClassCounts = std::array<std::int64_t, measure::kExtentClasses>;
using FreeSizeCounts = std::array<std::int64_t, 64>;  // free extents of 2^k up to 2^(k+1) bytes

struct DriveProfile {
  std::string file;  // as the user named it
  double usedPercent = 0;
  double layoutScore = 1.0;
  double fragmentedPercent = 0;
  std::optional<double> treeOrderScore;  // nothing in profiles written before it was measured
  ExtentClassCounts filesByExtents{};
  std::optional<FreeSizeCounts> freeBySize;  // nothing when the drive did not tell
};

// Reads the profile `file`. Fails (Failure, naming the file and what is wrong) when it cannot
// be read, is not JSON, or lacks a known "fill" or "file_fragmentation" group or a figure
// of them; an unknown or malformed "free_space" only leaves the free space out.
DriveProfile readDriveProfile(const std::string& file);

// The Kolmogorov–Smirnov distance of two distributions over the same classes, given as
// counts: the largest gap between their cumulative shares (0 when either is empty).
double ksDistance(std::span<const std::int64_t> a, std::span<const std::int64_t> b);

// The extent classes' shares of the profile's files.
std::array<double, measure::kExtentClasses> extentClassShares(const DriveProfile& profile);

// "Like drive.json: used 61.2 % (61.0), layout 0.874 (0.870), files by extents K-S 0.021,
// free space by size K-S 0.083, tree order 0.612 (0.530)": what the target reached beside
// the profile's figures.
std::string likeSummary(const DriveProfile& profile, std::optional<double> usedPercent,
                        const measure::FileLayoutFigures& files,
                        const measure::FreeSpaceFigures& free,
                        const measure::ReadOrderFigures& order);

}  // namespace brimwell::aging
