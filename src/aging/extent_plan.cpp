#include "aging/extent_plan.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "aging/layout_steer.h"
#include "diskops/list_writing.h"
#include "measure/file_layout.h"

namespace brimwell::aging {
namespace {

// `part` of `whole`, at most all of it; nothing of nothing.
double shareOf(double part, double whole) { return whole > 0 ? std::min(part / whole, 1.0) : 0; }

}  // namespace

ExtentPlan::ExtentPlan(const TextTable& list, std::uint32_t blockSize,
                       const ExtentClassShares& shares, const ExtentClassCounts& onDisk)
    : list_(list), blockSize_(blockSize), classes_(list.rowCount(), 1) {
  const std::size_t rows = list.rowCount();
  std::vector<std::int64_t> joins(rows);
  std::vector<std::size_t> order;
  for (std::size_t row = 0; row < rows; ++row) {
    const std::int64_t size = diskops::listedFileSize(list, row);
    joins[row] = fileJoins(size, blockSize);
    if (size == 0) classes_[row] = 0;
    if (joins[row] > 0) order.push_back(row);
  }
  const auto all = static_cast<double>(
      std::accumulate(onDisk.begin(), onDisk.end(), static_cast<std::int64_t>(rows)));
  ExtentClassCounts wanted{};
  for (std::size_t k = 0; k < wanted.size(); ++k) {
    wanted[k] = std::max<std::int64_t>(std::llround(shares[k] * all) - onDisk[k], 0);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return joins[a] > joins[b]; });
  std::size_t k = measure::kExtentClasses - 1;
  for (const std::size_t row : order) {
    while (k >= 2 && (wanted[k] == 0 || measure::leastExtentsOf(k) > joins[row] + 1)) --k;
    if (k < 2) break;
    classes_[row] = static_cast<std::uint8_t>(k);
    --wanted[k];
  }
  for (std::size_t row = 0; row < rows; ++row) {
    const Bounds b = bounds(row);
    leastToCome_ += static_cast<double>(b.least);
    mostToCome_ += static_cast<double>(b.most);
    joinsToCome_ += static_cast<double>(b.joins);
  }
}

ExtentPlan::Bounds ExtentPlan::bounds(std::size_t row) const {
  const std::int64_t joins = fileJoins(diskops::listedFileSize(list_, row), blockSize_);
  const std::size_t k = classes_[row];
  return {std::max<std::int64_t>(measure::leastExtentsOf(k) - 1, 0),
          std::clamp<std::int64_t>(measure::mostExtentsOf(k) - 1, 0, joins), joins};
}

std::int64_t ExtentPlan::cuts(std::size_t row, double cutsToCome) {
  const Bounds b = bounds(row);
  const auto least = static_cast<double>(b.least);
  const auto most = static_cast<double>(b.most);
  double planned = 0;
  if (cutsToCome >= mostToCome_) {
    planned = most + shareOf(cutsToCome - mostToCome_, joinsToCome_ - mostToCome_) *
                         (static_cast<double>(b.joins) - most);
  } else if (cutsToCome >= leastToCome_) {
    planned =
        least + shareOf(cutsToCome - leastToCome_, mostToCome_ - leastToCome_) * (most - least);
  } else {
    planned = shareOf(cutsToCome, leastToCome_) * least;
  }
  leastToCome_ -= least;
  mostToCome_ -= most;
  joinsToCome_ -= static_cast<double>(b.joins);
  return std::clamp<std::int64_t>(std::llround(planned), 0, b.joins);
}

}  // namespace brimwell::aging
