#include "measure/file_layout.h"

#include <algorithm>
#include <array>
#include <bit>

namespace brimwell::measure {

const char* extentClassName(std::size_t index) {
  static constexpr std::array<const char*, kExtentClasses> kNames{"0",   "1",    "2",     "3-4",
                                                                  "5-8", "9-16", "17-32", "33+"};
  return kNames[index];
}

std::size_t extentClass(std::int64_t extents) {
  if (extents <= 2) return static_cast<std::size_t>(extents < 0 ? 0 : extents);
  // 3-4 -> 3, 5-8 -> 4, 9-16 -> 5, 17-32 -> 6, more -> 7
  const auto width =
      static_cast<std::size_t>(std::bit_width(static_cast<std::uint64_t>(extents - 1)));
  return std::min<std::size_t>(width + 1, kExtentClasses - 1);
}

double FileLayoutFigures::fragmentedPercent() const {
  return files == 0 ? 0.0 : 100.0 * static_cast<double>(fragmented) / static_cast<double>(files);
}

double FileLayoutFigures::meanExtents() const {
  return files == 0 ? 0.0 : static_cast<double>(extents) / static_cast<double>(files);
}

void FileLayoutTally::add(const std::vector<Extent>& extents) {
  const auto count = static_cast<std::int64_t>(extents.size());
  ++figures_.files;
  figures_.extents += count;
  if (count > 1) ++figures_.fragmented;
  figures_.largestExtents = std::max(figures_.largestExtents, count);
  ++figures_.histogram[extentClass(count)];

  // Within one merged extent every block but the first follows its predecessor; between
  // two extents none does (neighbours that continue each other were merged).
  std::int64_t blocks = 0;
  for (const Extent& extent : extents) {
    blocks += static_cast<std::int64_t>((extent.length + blockSize_ - 1) / blockSize_);
  }
  if (blocks < 2) return;
  figures_.layoutBlocks += blocks - 1;
  figures_.contiguousBlocks += blocks - count;
  figures_.layoutScore =
      static_cast<double>(figures_.contiguousBlocks) / static_cast<double>(figures_.layoutBlocks);
}

void FileLayoutTally::merge(const FileLayoutTally& other) {
  const FileLayoutFigures& more = other.figures_;
  figures_.files += more.files;
  figures_.unreadable += more.unreadable;
  figures_.resident += more.resident;
  figures_.unplaced += more.unplaced;
  figures_.fragmented += more.fragmented;
  figures_.extents += more.extents;
  figures_.largestExtents = std::max(figures_.largestExtents, more.largestExtents);
  for (std::size_t i = 0; i < kExtentClasses; ++i) figures_.histogram[i] += more.histogram[i];
  figures_.layoutBlocks += more.layoutBlocks;
  figures_.contiguousBlocks += more.contiguousBlocks;
  // As add() leaves it: the share over all files of two blocks or more, 1.0 with none.
  if (figures_.layoutBlocks > 0) {
    figures_.layoutScore =
        static_cast<double>(figures_.contiguousBlocks) / static_cast<double>(figures_.layoutBlocks);
  }
}

FreeSpaceFigures freeSpaceFigures(std::vector<Extent> extents) {
  FreeSpaceFigures figures;
  figures.known = true;
  figures.extents = static_cast<std::int64_t>(extents.size());
  if (extents.empty()) return figures;
  for (const Extent& extent : extents) {
    figures.freeBytes += extent.length;
    figures.largestBytes = std::max(figures.largestBytes, extent.length);
    if (extent.length == 0) continue;
    const std::size_t sizeClass = std::bit_width(extent.length) - 1;
    ++figures.histogram[sizeClass];
    figures.bytesByClass[sizeClass] += extent.length;
  }
  const auto middle = extents.begin() + static_cast<std::ptrdiff_t>((extents.size() - 1) / 2);
  std::nth_element(extents.begin(), middle, extents.end(),
                   [](const Extent& a, const Extent& b) { return a.length < b.length; });
  figures.medianBytes = middle->length;
  return figures;
}

}  // namespace brimwell::measure
