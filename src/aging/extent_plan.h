// How many pieces each file of a batch is cut into, for run --like: the files on disk and the
// batch together are to reach a share of files in each extent class (measure's classes: 0,
// 1, 2, 3-4, 5-8, 9-16, 17-32, 33 and more) as well as a layout score.
//
// Each file gets a class first: a class takes its share of all files less the files on disk
// in it (none when those are already more). The larger files take the higher classes, as
// aging splits larger files more often, and a file of b blocks no class beyond b extents; the
// rest stay whole. Then, file by file, the cuts the score still wants (LayoutSteer, which
// learns how many cuts become breaks) are spread over the files to come: within their
// classes while that is enough; beyond the classes' bounds only when it is not, because the
// score comes first.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/text_table.h"
#include "measure/measurement.h"

namespace brimwell::aging {

using ExtentClassCounts = std::array<std::int64_t, measure::kExtentClasses>;
using ExtentClassShares = std::array<double, measure::kExtentClasses>;

class ExtentPlan {
 public:
  // The batch `list` on a volume of `blockSize` bytes a block; `onDisk`: the files that stay.
  ExtentPlan(const TextTable& list, std::uint32_t blockSize, const ExtentClassShares& shares,
             const ExtentClassCounts& onDisk);

  // The cuts for the file in `row` when the files from it to the end of the list are to get
  // `cutsToCome` cuts. Each row once, in order.
  std::int64_t cuts(std::size_t row, double cutsToCome);

 private:
  struct Bounds {
    std::int64_t least = 0;
    std::int64_t most = 0;
    std::int64_t joins = 0;
  };
  Bounds bounds(std::size_t row) const;

  const TextTable& list_;
  std::uint32_t blockSize_;
  std::vector<std::uint8_t> classes_;  // by row
  // Over the files to come: their cuts at the least and the most of their classes, and
  // their joins (every one cut).
  double leastToCome_ = 0;
  double mostToCome_ = 0;
  double joinsToCome_ = 0;
};

}  // namespace brimwell::aging
