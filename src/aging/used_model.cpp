#include "aging/used_model.h"

#include <algorithm>
#include <cmath>

#include "aging/fill_trim.h"
#include "aging/list_figures.h"
#include "aging/volume_plan.h"

namespace brimwell::aging {
namespace {

// Where metadata has block groups of its own: the bytes the data takes, what the volume
// reports in use less its metadata in every copy and the reserve held for it.
std::uint64_t dataUsedBytes(const VolumeSpace& space) {
  const MetadataGroups& groups = space.metadataGroups;
  const std::uint64_t metadata = groups.copies * groups.used + groups.reserve;
  return space.usedBytes() > metadata ? space.usedBytes() - metadata : 0;
}

}  // namespace

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

PlannedSpace UsedModel::plan(const TextTable& onDisk) const {
  const EntrySpace unit = entrySpaceOf(space_);
  const std::uint64_t footprint = listFootprint(onDisk, unit, folders_);
  const VolumeSpace now = volumeOfTarget(context_, target_, false);
  if (unit.metadataCopies == 0) {
    return {correctedUsedBytes(before_ + footprint, now.usedBytes(), space_.totalBytes), {}};
  }
  const std::uint64_t items = unit.metadataCopies * listMetadata(onDisk, unit, folders_);
  const std::uint64_t dataBefore = dataUsedBytes(space_);
  const auto dataAdded =
      static_cast<std::int64_t>(correctedUsedBytes(dataBefore + footprint - items,
                                                   dataUsedBytes(now), space_.totalBytes)) -
      static_cast<std::int64_t>(dataBefore);
  const std::uint64_t groupsTaken =
      unit.metadataCopies *
      (now.metadataGroups.allocated -
       std::min(now.metadataGroups.allocated, space_.metadataGroups.allocated));
  const auto saturated = [](std::int64_t bytes) {
    return static_cast<std::uint64_t>(std::max<std::int64_t>(bytes, 0));
  };
  return {saturated(static_cast<std::int64_t>(before_ + items) + dataAdded),
          saturated(static_cast<std::int64_t>(space_.availableBytes) - dataAdded -
                    static_cast<std::int64_t>(groupsTaken))};
}

}  // namespace brimwell::aging
