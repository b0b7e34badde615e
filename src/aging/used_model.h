// The space a job's files take on the volume, as the later rounds of a job plan from it.
//
// Read from the volume, the used space after a round varies by a few blocks from run to run
// (ext4 places small files by the CPU the writer ran on, which changes the blocks its
// extent trees take), and a batch sized from it, trimmed at random to that budget, comes
// out different: the same seed would not give the same drive. So the model counts the used
// space before the job and the whole blocks of the files on disk with the folders the job
// made (and their records, where the file system keeps one for each), the same in every run, and
// corrects that by the volume's reading rounded to a grain (1 MiB, or 1/256 of the volume when that
// is more): a few blocks do not change the correction but for the rare reading near a grain's edge,
// while what the count leaves out (metadata, folders kept inside their inodes on XFS) is taken in
// to within half a grain.
//
// Where metadata has block groups of its own (Btrfs), what is in use there moves by a few
// hundred KiB from run to run (its trees take the shape the order of the writes gives them),
// more than a grain's edge can be trusted to absorb. There the reading corrects the data
// alone, whose blocks it tells to the block; the entries' items are counted; and the bytes
// free to data are counted from those free before the job, less the data and the metadata
// groups taken since (whole groups, which do not move with a few nodes).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/context.h"
#include "app/text_table.h"

namespace brimwell::aging {

// The correction of `counted` bytes by the volume's reading of `read` bytes, rounded to the
// grain of a volume of `totalBytes`: counted plus the difference in whole grains.
std::uint64_t correctedUsedBytes(std::uint64_t counted, std::uint64_t read,
                                 std::uint64_t totalBytes);

// What a later batch plans from.
struct PlannedSpace {
  std::uint64_t used = 0;  // the bytes in use
  // Where metadata has block groups of its own: the bytes free to data
  // (VolumeSpace::availableBytes); nothing elsewhere, where the volume's reading stands.
  std::optional<std::uint64_t> dataAvailable;
};

class UsedModel {
 public:
  // Reads the volume holding `target` (which need not exist yet) before the job writes;
  // `context` (its file system and volume) is used again at each reading.
  UsedModel(Context& context, const std::string& target);

  // The batch `batch` is on disk: its folders stay when its files go.
  void batchWritten(const TextTable& batch);
  // The space with the files of `onDisk` on the volume (read once: it settles the volume).
  PlannedSpace plan(const TextTable& onDisk) const;
  // The bytes in use with the files of `onDisk` on the volume, as plan() counts them.
  std::uint64_t usedBytes(const TextTable& onDisk) const { return plan(onDisk).used; }
  // `bytes` as a share of the volume.
  double percentOf(std::uint64_t bytes) const { return space_.percentOf(bytes); }
  // The bytes that are `percent` % of the volume.
  std::uint64_t bytesAt(double percent) const {
    return static_cast<std::uint64_t>(static_cast<long double>(space_.totalBytes) * percent / 100);
  }

 private:
  Context& context_;
  std::string target_;
  VolumeSpace space_;
  std::uint64_t before_;      // used before the job
  std::int64_t folders_ = 0;  // made by the job, where folders take blocks
};

}  // namespace brimwell::aging
