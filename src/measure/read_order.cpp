#include "measure/read_order.h"

#include <algorithm>
#include <cmath>

#include "app/size_text.h"

namespace brimwell::measure {
namespace {

double share(std::int64_t part, std::int64_t whole) {
  return whole == 0 ? 0.0 : static_cast<double>(part) / static_cast<double>(whole);
}

// The median of `values` (the lower middle of an even count), 0 for none.
std::int64_t median(std::vector<std::int64_t> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>((values.size() - 1) / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

}  // namespace

std::string diskModelText() {
  return "seek " + fixedDecimals(DiskModel::kSeekMs, 0) + " ms + " +
         fixedDecimals(DiskModel::kSeekSpanMs, 0) + " ms x sqrt(distance / volume size), " +
         "half a rotation " + fixedDecimals(DiskModel::kHalfRotationMs, 2) + " ms, " +
         fixedDecimals(DiskModel::kMegabytesPerSecond, 0) + " MB/s";
}

double BreakFigures::reversedTouchingShare() const { return share(reversedTouching, breaks); }
double BreakFigures::backwardShare() const { return share(backward, breaks); }

void DiskReadModel::read(std::uint64_t start, std::uint64_t length) {
  constexpr double kBytesPerMs = DiskModel::kMegabytesPerSecond * 1e6 / 1e3;
  ++figures_.runs;
  figures_.bytes += length;
  milliseconds_ += static_cast<double>(length) / kBytesPerMs;
  if (start != head_) {
    ++figures_.seeks;
    const std::uint64_t distance = start > head_ ? start - head_ : head_ - start;
    const double span =
        volumeBytes_ == 0
            ? 1.0
            : std::min(1.0, static_cast<double>(distance) / static_cast<double>(volumeBytes_));
    milliseconds_ +=
        DiskModel::kSeekMs + DiskModel::kSeekSpanMs * std::sqrt(span) + DiskModel::kHalfRotationMs;
  }
  head_ = start + length;
}

void DiskReadModel::addFile(std::span<const Extent> extents) {
  runs_.assign(extents.begin(), extents.end());
  std::sort(runs_.begin(), runs_.end(),
            [](const Extent& a, const Extent& b) { return a.physical < b.physical; });
  std::size_t merged = 0;
  for (std::size_t i = 1; i < runs_.size(); ++i) {
    Extent& last = runs_[merged];
    if (runs_[i].physical <= last.physical + last.length) {
      last.length = std::max(last.length, runs_[i].physical + runs_[i].length - last.physical);
    } else {
      runs_[++merged] = runs_[i];
    }
  }
  if (runs_.empty()) return;
  runs_.resize(merged + 1);
  for (const Extent& run : runs_) read(run.physical, run.length);
  // Every run after a file's first starts past the end of the one before, so it seeks.
  figures_.breakSeeks += static_cast<std::int64_t>(merged);
}

ReadCostFigures DiskReadModel::figures() const {
  ReadCostFigures figures = figures_;
  figures.known = true;
  figures.seconds = milliseconds_ / 1e3;
  return figures;
}

ReadOrderTally::ReadOrderTally(std::uint32_t blockSize, std::uint64_t volumeBytes)
    : blockSize_(blockSize == 0 ? 1 : blockSize), model_(volumeBytes) {}

void ReadOrderTally::addBreak(const Extent& before, const Extent& after) {
  ++breaks_.breaks;
  if (after.physical + after.length == before.physical) {
    ++breaks_.reversedTouching;
    return;
  }
  const std::uint64_t end = before.physical + before.length;
  if (after.physical >= end) {  // at the end itself only where the file has a hole
    ++breaks_.forward;
    forward_.push_back(static_cast<std::int64_t>((after.physical - end) / blockSize_));
  } else {
    ++breaks_.backward;
    backward_.push_back(static_cast<std::int64_t>((end - after.physical) / blockSize_));
  }
}

void ReadOrderTally::add(std::span<const Extent> extents) {
  for (std::size_t i = 0; i < extents.size(); ++i) {
    const Extent& extent = extents[i];
    if (i > 0) addBreak(extents[i - 1], extent);
    const auto blocks = static_cast<std::int64_t>((extent.length + blockSize_ - 1) / blockSize_);
    if (blocks == 0) continue;
    // Within an extent every block follows the one before; its first block follows when it
    // lies right after the last block read, in this file or the one before.
    treeOrder_.following += blocks - 1;
    treeOrder_.blocks += blocks - 1;
    if (started_) {
      ++treeOrder_.blocks;
      if (extent.physical == lastEnd_) ++treeOrder_.following;
    }
    started_ = true;
    lastEnd_ = extent.physical + static_cast<std::uint64_t>(blocks) * blockSize_;
  }
  model_.addFile(extents);
}

ReadOrderFigures ReadOrderTally::figures() const {
  ReadOrderFigures figures;
  figures.known = true;
  figures.breaks = breaks_;
  figures.breaks.medianForwardBlocks = median(forward_);
  figures.breaks.medianBackwardBlocks = median(backward_);
  figures.treeOrder = treeOrder_;
  if (treeOrder_.blocks > 0)
    figures.treeOrder.score = share(treeOrder_.following, treeOrder_.blocks);
  figures.readCost = model_.figures();
  return figures;
}

}  // namespace brimwell::measure
