#include "aging/fill_trim.h"

#include <algorithm>
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

// An NTFS file record keeps, besides its header, the standard information and the data
// attribute's header, about 760 of its 1024 bytes for the name attribute (90 bytes and two a
// UTF-16 unit) and data kept in the record (as ntfs-3g lays a new file out).
constexpr std::uint64_t kRecordOwnBytes = 264;
std::uint64_t nameAttributeBytes(std::uint64_t units) { return roundUp(90 + 2 * units, 8); }
// A name's entry in its folder's index: 16 bytes of header and the name attribute's 66 + 2 a
// unit; index nodes split in half, so an entry takes about twice that.
std::uint64_t indexEntryShare(std::uint64_t units) { return 2 * roundUp(82 + 2 * units, 8); }
constexpr std::uint64_t kFolderNameUnits = 8;  // a fair guess: a folder's name is not listed

// UTF-16 units of the UTF-8 name `name`: one a character, two beyond the basic plane.
std::uint64_t utf16Units(std::string_view name) {
  std::uint64_t units = 0;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;
    if (byte >= 0xF0) ++units;
  }
  return units;
}

// Btrfs's items for an entry, one copy, as measured on a default Btrfs (16 KiB nodes, as full
// as a run leaves them): its inode item and its name three times (its reference and its
// folder's two indexes); data kept inline, with its item; or a file extent item and the
// checksums of its blocks.
constexpr std::uint64_t kBtrfsInlineMost = 2048;
std::uint64_t btrfsEntryItems(std::size_t nameLength) { return 358 + 3 * nameLength; }
std::uint64_t btrfsInlineItems(std::uint64_t size) { return size + size / 16 + 40; }
std::uint64_t btrfsExtentItems(std::uint64_t blocks) { return 160 + 5 * blocks; }

// What an entry takes: blocks of data, and bytes (one copy) in the metadata groups where the
// volume keeps them apart.
struct EntryCost {
  std::uint64_t data = 0;
  std::uint64_t metadata = 0;
  std::uint64_t total(EntrySpace unit) const {
    return data + std::max<std::uint64_t>(unit.metadataCopies, 1) * metadata;
  }
};

EntryCost fileCost(const TextTable& files1, std::size_t row, EntrySpace unit) {
  const std::uint64_t block = unit.blockSize == 0 ? 1 : unit.blockSize;
  const auto size = static_cast<std::uint64_t>(diskops::plannedFileSize(files1, row));
  const std::string_view path = files1.caption(row);
  const std::string_view name = path.substr(PathStyle::folderPart(path).size());
  if (unit.metadataCopies != 0) {
    const std::uint64_t items = btrfsEntryItems(name.size());
    if (size == 0) return {0, items};
    if (size <= kBtrfsInlineMost && size < block) return {0, items + btrfsInlineItems(size)};
    return {roundUp(size, block), items + btrfsExtentItems(roundUp(size, block) / block)};
  }
  if (unit.recordBytes == 0) {
    return {roundUp(size, block) + entryBytes(name.size()) + unit.inodeBytes, 0};
  }
  const std::uint64_t units = utf16Units(name);
  const bool resident =
      roundUp(size, 8) + nameAttributeBytes(units) + kRecordOwnBytes <= unit.recordBytes;
  return {unit.recordBytes + indexEntryShare(units) + (resident ? 0 : roundUp(size, block)), 0};
}

std::uint64_t entryFootprint(const TextTable& files1, std::size_t row, EntrySpace unit) {
  return fileCost(files1, row, unit).total(unit);
}

EntryCost folderCost(EntrySpace unit) {
  if (unit.metadataCopies != 0) return {0, btrfsEntryItems(kFolderNameUnits)};
  if (unit.recordBytes != 0) return {unit.recordBytes + indexEntryShare(kFolderNameUnits), 0};
  if (unit.inodeBytes != 0) return {unit.inodeBytes + entryBytes(8), 0};
  return {(unit.blockSize == 0 ? 1 : unit.blockSize) + entryBytes(8), 0};
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

EntrySpace entrySpaceOf(const VolumeSpace& space) {
  return {space.blockSize, space.fileRecordBytes, space.metadataGroups.copies, space.inodeBytes};
}

std::uint64_t listFootprint(const TextTable& files1, EntrySpace unit, std::int64_t folderCount) {
  std::uint64_t bytes = static_cast<std::uint64_t>(folderCount) * folderCost(unit).total(unit);
  for (std::size_t row = 0; row < files1.rowCount(); ++row) {
    bytes += entryFootprint(files1, row, unit);
  }
  return bytes;
}

std::uint64_t listMetadata(const TextTable& files1, EntrySpace unit, std::int64_t folderCount) {
  if (unit.metadataCopies == 0) return 0;
  std::uint64_t bytes = static_cast<std::uint64_t>(folderCount) * folderCost(unit).metadata;
  for (std::size_t row = 0; row < files1.rowCount(); ++row) {
    bytes += fileCost(files1, row, unit).metadata;
  }
  return bytes;
}

std::optional<std::uint64_t> dataRoomBeside(const VolumeSpace& space, std::uint64_t metadata) {
  const MetadataGroups& groups = space.metadataGroups;
  if (groups.copies == 0) return std::nullopt;
  constexpr std::uint64_t kMostGroup = 256ull << 20;
  const std::uint64_t group = std::max<std::uint64_t>(std::min(space.totalBytes / 10, kMostGroup),
                                                      space.blockSize == 0 ? 1 : space.blockSize);
  // Btrfs reserves ahead of what it writes and takes a group when those it has are about three
  // quarters full by that; near the end it takes what the device has left in none.
  const std::uint64_t needed = (groups.used + metadata + groups.reserve) * 4 / 3;
  const std::uint64_t more =
      (needed > groups.allocated ? roundUp(needed - groups.allocated, group) : 0) * groups.copies +
      space.totalBytes / 20;
  return space.availableBytes > more ? space.availableBytes - more : 0;
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

std::uint64_t trimToBudget(TextTable& files1, EntrySpace unit, std::int64_t folderCount,
                           std::uint64_t budget, std::uint64_t tolerance, RandomSource& random) {
  std::uint64_t total = listFootprint(files1, unit, folderCount);
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
      const std::uint64_t bytes = entryFootprint(files1, row, unit);
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
