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
  if (space_.foldersTakeBlocks) {
    // A later batch's folders share their roots with the earlier ones: a few blocks counted
    // twice, the same in every run.
    folders_ += measureFileList(batch, target_).folders;
  }
  if (learned_) return;
  learned_ = true;
  const VolumeSpace now = volumeOfTarget(target_, false);
  const auto read = static_cast<double>(now.totalBytes - now.freeBytes);
  const double grain = std::max(1024.0 * 1024.0, static_cast<double>(space_.totalBytes) / 1000);
  const double beyond = read - static_cast<double>(usedBytes(batch));
  overhead_ = static_cast<std::int64_t>(std::round(beyond / grain) * grain);
}

std::uint64_t UsedModel::usedBytes(const TextTable& onDisk) const {
  const auto used =
      static_cast<std::int64_t>(before_ + listFootprint(onDisk, space_.blockSize, folders_)) +
      overhead_;
  return static_cast<std::uint64_t>(std::max<std::int64_t>(used, 0));
}

double UsedModel::usedPercent(const TextTable& onDisk) const {
  return space_.totalBytes == 0 ? 0
                                : 100.0 * static_cast<double>(usedBytes(onDisk)) /
                                      static_cast<double>(space_.totalBytes);
}

}  // namespace brimwell::aging
