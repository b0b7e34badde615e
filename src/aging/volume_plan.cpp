#include "aging/volume_plan.h"

#include <optional>

#include <string_view>

#include "aging/fill_trim.h"
#include "aging/list_figures.h"
#include "app/failure.h"
#include "joblist/list_target.h"

namespace brimwell::aging {
namespace {

std::string_view withoutTrailingSeparators(std::string_view folder) {
  while (folder.size() > 1 && PathStyle::endsWithSeparator(folder)) folder.remove_suffix(1);
  return folder;
}

}  // namespace

VolumeSpace volumeOfTarget(Context& context, const std::string& target, bool lastMayBeMissing) {
  // Normalised, with a trailing separator; climbing a relative one ends at the current folder.
  const std::string named = joblist::asTargetFolder(target);
  std::string folder = named.empty() ? "." : named;
  int missing = 0;
  for (PathAttributes found; !context.fs.attributes(folder, found) || !found.isDirectory;) {
    const std::string_view above = context.style.folderPartOf(withoutTrailingSeparators(folder));
    if (folder == "." || above.size() >= folder.size()) break;  // the top: the volume will tell
    folder = above.empty() ? "." : std::string(above);
    ++missing;
  }
  if (lastMayBeMissing && missing > 1) {
    const std::string_view below =
        std::string_view(named).substr(folder == "." ? 0 : folder.size());
    std::size_t end = 0;
    while (end < below.size() && !PathStyle::isSeparator(below[end])) ++end;
    throw Failure("The folder " + std::string(withoutTrailingSeparators(folder)) + " has no " +
                  std::string(below.substr(0, end)) + " in it, so the target " + target +
                  " cannot be made there; check the target");
  }
  context.volume.settle(folder);
  return context.volume.space(folder).value();
}

std::uint64_t planFootprint(const TextTable& files1, const std::string& target,
                            const VolumeSpace& space, bool cut) {
  const std::int64_t folders =
      space.foldersTakeBlocks ? measureFileList(files1, target).folders : 0;
  return listFootprint(files1, entrySpaceOf(space), folders) +
         (cut ? cutFilesMargin(files1, space.blockSize) : 0);
}

std::string volumeText(const VolumeSpace& space) {
  return "the volume mounted on " + space.mountPoint + " (" + std::to_string(space.availableBytes) +
         " bytes free)";
}

void checkPlanFits(Context& context, const TextTable& files1, const std::string& target, bool cut) {
  const VolumeSpace space = volumeOfTarget(context, target, false);
  const std::uint64_t footprint = planFootprint(files1, target, space, cut);
  if (footprint <= space.availableBytes) return;
  // Where metadata has block groups of its own, the free space told is the data's: the items
  // go beside it, into the groups they need.
  const EntrySpace unit = entrySpaceOf(space);
  const std::uint64_t metadata = listMetadata(
      files1, unit, space.foldersTakeBlocks ? measureFileList(files1, target).folders : 0);
  const std::optional<std::uint64_t> room = dataRoomBeside(space, metadata);
  if (room && footprint - unit.metadataCopies * metadata <= *room) return;
  throw Failure("The " + std::to_string(files1.rowCount()) + " files for " + target + " take " +
                std::to_string(footprint) + " bytes in " + std::to_string(space.blockSize) +
                "-byte blocks" +
                (cut ? " (with the extent records of files cut into pieces)" : "") +
                ", more than " + volumeText(space) + " can hold; nothing was written");
}

}  // namespace brimwell::aging
