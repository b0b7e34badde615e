#include "aging/used_model.h"

#include <algorithm>
#include <cmath>

#include "aging/fill_trim.h"
#include "aging/list_figures.h"
#include "aging/volume_plan.h"

namespace brimwell::aging {

UsedModel::UsedModel(const std::string& target)
    : target_(target),
      space_(volumeOfTarget(target, false)),
      before_(space_.totalBytes - space_.freeBytes) {}

void UsedModel::batchWritten(const TextTable& batch) {
  // A later batch's folders share their roots with the earlier ones: a few blocks counted
  // twice, the same in every run.
  if (space_.foldersTakeBlocks) folders_ += measureFileList(batch, target_).folders;
}

std::uint64_t UsedModel::usedBytes(const TextTable& onDisk) const {
  const auto counted =
      static_cast<double>(before_ + listFootprint(onDisk, space_.blockSize, folders_));
  const VolumeSpace now = volumeOfTarget(target_, false);
  const double grain = std::max(1024.0 * 1024.0, static_cast<double>(space_.totalBytes) / 256);
  const double correction =
      std::round((static_cast<double>(now.totalBytes - now.freeBytes) - counted) / grain) * grain;
  return static_cast<std::uint64_t>(std::max(counted + correction, 0.0));
}

double UsedModel::percentOf(std::uint64_t bytes) const {
  return space_.totalBytes == 0
             ? 0
             : 100.0 * static_cast<double>(bytes) / static_cast<double>(space_.totalBytes);
}

}  // namespace brimwell::aging
