#include "aging/fill_trim.h"

#include <vector>

#include "app/cell_number.h"
#include "app/context.h"
#include "diskops/list_writing.h"
#include "platform/path_style.h"

namespace brimwell::aging {
namespace {

// A directory entry: 8 bytes of header and the name, padded to 4 bytes (ext4's layout; a
// fair guess for others).
std::uint64_t entryBytes(std::size_t nameLength) { return (8 + nameLength + 3) / 4 * 4; }

std::uint64_t roundUp(std::uint64_t size, std::uint64_t block) {
  return (size + block - 1) / block * block;
}

std::uint64_t entryFootprint(const TextTable& files1, std::size_t row, std::uint64_t block) {
  const auto size = static_cast<std::uint64_t>(diskops::plannedFileSize(files1, row));
  const std::string_view path = files1.caption(row);
  return roundUp(size, block) + entryBytes(path.size() - PathStyle::folderPart(path).size());
}

// The sum of ceil(s / block) over the sizes s = 0 ... n-1.
long double blocksBelow(std::uint64_t n, std::uint64_t block) {
  if (n <= 1) return 0;
  const std::uint64_t m = n - 1;
  const long double q = static_cast<long double>(m / block);
  const long double r = static_cast<long double>(m % block);
  return static_cast<long double>(block) * q * (q + 1) / 2 + r * (q + 1);
}

}  // namespace

std::uint64_t listFootprint(const TextTable& files1, std::uint32_t blockSize,
                            std::int64_t folderCount) {
  const std::uint64_t block = blockSize == 0 ? 1 : blockSize;
  std::uint64_t bytes = static_cast<std::uint64_t>(folderCount) * (block + entryBytes(8));
  for (std::size_t row = 0; row < files1.rowCount(); ++row) {
    bytes += entryFootprint(files1, row, block);
  }
  return bytes;
}

std::uint64_t cutFilesMargin(const TextTable& files1, std::uint32_t blockSize) {
  constexpr std::uint64_t kExtentsInInode = 4;     // ext4's; XFS's inode holds more
  constexpr std::uint64_t kExtentsPerBlock = 250;  // XFS's bmap btree; ext4's holds 340
  const std::uint64_t block = blockSize == 0 ? 1 : blockSize;
  std::uint64_t blocks = 0;
  for (std::size_t row = 0; row < files1.rowCount(); ++row) {
    const auto size = static_cast<std::uint64_t>(diskops::plannedFileSize(files1, row));
    const std::uint64_t pieces = (size + block - 1) / block;
    if (pieces > kExtentsInInode) blocks += (pieces + kExtentsPerBlock - 1) / kExtentsPerBlock;
  }
  return blocks * block;
}

double meanFileFootprint(const TextTable& sizes, std::uint32_t blockSize) {
  const std::uint64_t block = blockSize == 0 ? 1 : blockSize;
  long double bytes = 0;
  long double files = 0;
  std::int64_t lower = 0;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    const std::int64_t upper = parseInt64Cell(sizes.caption(row));
    const auto count = static_cast<long double>(parseInt32Cell(sizes.subCell(row, kCountCell)));
    if (count > 0 && upper > lower && lower >= 0) {
      const auto gap = static_cast<long double>(upper - lower);
      const long double blocks = blocksBelow(static_cast<std::uint64_t>(upper), block) -
                                 blocksBelow(static_cast<std::uint64_t>(lower), block);
      bytes += count * blocks * static_cast<long double>(block) / gap;
    } else if (count > 0 && upper == lower && lower >= 0) {
      bytes += count * static_cast<long double>(roundUp(static_cast<std::uint64_t>(lower), block));
    }
    if (count > 0) files += count;
    lower = upper;
  }
  return files > 0 ? static_cast<double>(bytes / files) : 0.0;
}

std::uint64_t trimToBudget(TextTable& files1, std::uint32_t blockSize, std::int64_t folderCount,
                           std::uint64_t budget, std::uint64_t tolerance, RandomSource& random) {
  const std::uint64_t block = blockSize == 0 ? 1 : blockSize;
  std::uint64_t total = listFootprint(files1, blockSize, folderCount);
  if (total <= budget) return total;
  const std::uint64_t floor = budget > tolerance ? budget - tolerance : 0;
  std::vector<bool> removed(files1.rowCount(), false);
  std::vector<std::uint32_t> candidates(files1.rowCount());
  // First only removals that keep the footprint above the floor; then, if the list is still
  // too large (a few large files), any.
  for (const bool anyRemoval : {false, true}) {
    candidates.clear();
    for (std::size_t row = 0; row < removed.size(); ++row) {
      if (!removed[row]) candidates.push_back(static_cast<std::uint32_t>(row));
    }
    while (total > budget && !candidates.empty()) {
      const std::size_t pick = random.draw(static_cast<std::uint32_t>(candidates.size()));
      const std::uint32_t row = candidates[pick];
      candidates[pick] = candidates.back();
      candidates.pop_back();
      const std::uint64_t bytes = entryFootprint(files1, row, block);
      if (!anyRemoval && total - bytes < floor) continue;
      removed[row] = true;
      total -= bytes;
    }
  }
  TableBatch batch(files1);
  files1.removeRows(removed);
  return total;
}

}  // namespace brimwell::aging
