#include "aging/fill_level.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "aging/fill_trim.h"
#include "aging/list_figures.h"
#include "aging/volume_plan.h"
#include "app/failure.h"
#include "app/size_text.h"
#include "fileset/builder.h"
#include "fileset/template_check.h"

namespace brimwell::aging {
namespace {

constexpr std::int64_t kMostFiles = 1000000;  // the builder's largest number of files

// "80", or "79.25" for a level taken from a measurement.
std::string levelText(double percent) {
  if (percent == std::floor(percent)) return std::to_string(static_cast<int>(percent));
  return fixedDecimals(percent, 2);
}

// Where metadata has block groups of its own, trims the list until its data (with `margin`)
// fits beside the groups its items will need (dataRoomBeside); returns the footprint left,
// and whether that trimmed it.
std::pair<std::uint64_t, bool> trimBesideMetadata(Context& context, const VolumeSpace& space,
                                                  EntrySpace unit, std::int64_t folders,
                                                  std::uint64_t footprint, std::uint64_t margin) {
  bool trimmed = false;
  // Trimming takes items away too, so the room is asked for again.
  for (int pass = 0; pass < 3; ++pass) {
    const std::uint64_t metadata = listMetadata(context.lists.files1, unit, folders);
    const std::optional<std::uint64_t> room = dataRoomBeside(space, metadata);
    const std::uint64_t budget = room ? *room + unit.metadataCopies * metadata : 0;
    if (!room || footprint + margin <= budget) break;
    footprint = trimToBudget(context.lists.files1, unit, folders, budget - std::min(budget, margin),
                             space.totalBytes / 200, context.random);
    trimmed = true;
  }
  return {footprint, trimmed};
}

}  // namespace

Outcome buildToFill(Context& context, FieldValues& fields, double percent, LevelFrom from,
                    std::optional<PlannedSpace> planned, bool cut) {
  // A level taken from a measurement was never typed: the messages do not quote an option.
  const std::string aimText = from == LevelFrom::Option ? "--fill " + levelText(percent)
                              : from == LevelFrom::Refill
                                  ? "a refill to " + levelText(percent) + " %"
                                  : "the profile's fill of " + levelText(percent) + " %";
  const std::string target = context.fields.text(EditField::reprodpath);
  VolumeSpace space = volumeOfTarget(context, target, true);
  // A later round plans from what it counted, not from figures that move from run to run.
  if (planned && planned->dataAvailable) space.availableBytes = *planned->dataAvailable;
  const std::uint64_t used = planned ? planned->used : space.usedBytes();
  const auto aim =
      static_cast<std::uint64_t>(static_cast<long double>(space.totalBytes) * percent / 100);
  if (aim <= used) {
    throw Failure("The volume mounted on " + space.mountPoint + ", which holds " + target +
                  ", is already " + fixedDecimals(space.percentOf(used), 2) + " % full, which " +
                  aimText + " cannot lower");
  }
  const std::uint64_t budget = aim - used;
  // Where metadata has block groups of its own, the used share counts their copies, and the
  // data goes as far as the groups leave it room (trimBesideMetadata).
  if (budget > space.availableBytes && space.metadataGroups.copies == 0) {
    throw Failure(aimText + " needs " + std::to_string(budget) + " bytes, but only " +
                  std::to_string(space.availableBytes) + " bytes of the volume mounted on " +
                  space.mountPoint + ", which holds " + target + ", are free to this user");
  }

  const EntrySpace unit = entrySpaceOf(space);
  const double mean =
      meanFileFootprint(context.lists.sizes, space.blockSize) + unit.recordBytes + unit.inodeBytes;
  auto files = static_cast<std::int64_t>(
      std::ceil(static_cast<double>(budget) / std::max(mean, 1.0) * 1.03));
  const std::uint32_t state = context.random.state();
  std::int64_t folders = 0;
  // Rows whose share rounds to no file make the first estimate short; a build or two more,
  // each from the same random state, close the gap.
  for (int attempt = 0; attempt < 4; ++attempt) {
    files = std::clamp<std::int64_t>(files, 1, kMostFiles);
    fields.setValue(SpinField::SpinEdit1, static_cast<std::int32_t>(files));
    context.random.setState(state);
    const Outcome outcome = fileset::buildChecked(context);
    if (outcome != Outcome::Done) return outcome;
    folders = space.foldersTakeBlocks ? measureFileList(context.lists.files1, target).folders : 0;
    const std::uint64_t footprint = listFootprint(context.lists.files1, unit, folders);
    if (footprint >= budget || files == kMostFiles) break;
    files = static_cast<std::int64_t>(
                std::ceil(static_cast<double>(files) * static_cast<double>(budget) /
                          static_cast<double>(footprint) * 1.03)) +
            1;
  }
  // Counted on the list before trimming, which only takes files away: never too little.
  const std::uint64_t margin = cut ? cutFilesMargin(context.lists.files1, space.blockSize) : 0;
  const auto [footprint, besideMetadata] = trimBesideMetadata(
      context, space, unit, folders,
      trimToBudget(context.lists.files1, unit, folders, budget - std::min(budget, margin),
                   space.totalBytes / 200, context.random),
      margin);
  if (context.lists.files1.rowCount() == 0) {
    throw Failure(aimText + " cannot be reached on the volume mounted on " + space.mountPoint +
                  ", which holds " + target +
                  ": beside the block groups its metadata needs, its data can take no more");
  }
  context.feedback.setStatus(
      "Fill " + levelText(percent) + " %: " + std::to_string(context.lists.files1.rowCount()) +
      " files taking " + std::to_string(footprint) + " bytes in " +
      std::to_string(space.blockSize) + "-byte blocks; the volume will be " +
      fixedDecimals(space.percentOf(used + footprint), 2) + " % full" +
      (besideMetadata ? ", as much as its data can take beside the block groups the files' "
                        "metadata needs"
                      : "") +
      " (the volume mounted on " + space.mountPoint + ").");
  return Outcome::Done;
}

}  // namespace brimwell::aging
