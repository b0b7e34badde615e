#include "aging/used_model.h"

#include <algorithm>
#include <cmath>

#include "aging/fill_trim.h"
#include "aging/list_figures.h"
#include "aging/volume_plan.h"

namespace brimwell::aging {

std::uint64_t correctedUsedBytes(std::uint64_t counted, std::uint64_t read,
                                 std::uint64_t totalBytes) {
  const double grain = std::max(1024.0 * 1024.0, static_cast<double>(totalBytes) / 256);
  const auto count = static_cast<double>(counted);
  const double correction = std::round((static_cast<double>(read) - count) / grain) * grain;
  return static_cast<std::uint64_t>(std::max(count + correction, 0.0));
}

UsedModel::UsedModel(Context& context, const std::string& target)
    : context_(context),
      target_(target),
      space_(volumeOfTarget(context, target, false)),
      before_(space_.usedBytes()) {}

void UsedModel::batchWritten(const TextTable& batch) {
  // A later batch's folders share their roots with the earlier ones: a few blocks counted
  // twice, the same in every run.
  if (space_.foldersTakeBlocks) folders_ += measureFileList(batch, target_).folders;
}

std::uint64_t UsedModel::usedBytes(const TextTable& onDisk) const {
  const std::uint64_t counted = before_ + listFootprint(onDisk, entrySpaceOf(space_), folders_);
  const VolumeSpace now = volumeOfTarget(context_, target_, false);
  return correctedUsedBytes(counted, now.usedBytes(), space_.totalBytes);
}

}  // namespace brimwell::aging
