// The space a job's files take on the volume, as the later rounds of a job plan from it.
//
// Read from the volume, the used space after a round varies by a few blocks from run to run
// (ext4 places small files by the CPU the writer ran on, which changes the blocks its
// extent trees and preallocations take), and a batch sized from it, trimmed at random to
// that budget, comes out different: the same seed would not give the same drive. The model
// reads the volume twice only: before the job writes, and once the first batch is on disk,
// where what the volume takes beyond the listed files' whole blocks is learned, rounded to
// a grain (1 MiB, or a thousandth of the volume when that is more), so that those few
// blocks do not change it but for the rare reading that falls near a grain's edge. Every
// later figure is the used space before the job, that overhead and the whole blocks of the
// files on disk with the folders the job made.
#pragma once

#include <cstdint>
#include <string>

#include "app/text_table.h"
#include "platform/volume_layout.h"

namespace brimwell::aging {

class UsedModel {
 public:
  // Reads the volume holding `target` (which need not exist yet) before the job writes.
  explicit UsedModel(const std::string& target);

  // The batch `batch` is on disk; the first one is compared with the volume.
  void batchWritten(const TextTable& batch);
  // The bytes in use with the files of `onDisk` on the volume, and as a share of it.
  std::uint64_t usedBytes(const TextTable& onDisk) const;
  double usedPercent(const TextTable& onDisk) const;

 private:
  std::string target_;
  VolumeSpace space_;
  std::uint64_t before_;       // used before the job
  std::int64_t overhead_ = 0;  // beyond the files' whole blocks, rounded to the grain
  std::int64_t folders_ = 0;   // made by the job, where folders take blocks
  bool learned_ = false;
};

}  // namespace brimwell::aging
