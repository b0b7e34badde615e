#include "aging/volume_plan.h"

#include <filesystem>

#include "aging/fill_trim.h"
#include "aging/list_figures.h"
#include "app/failure.h"

namespace brimwell::aging {

VolumeSpace volumeOfTarget(const std::string& target, bool lastMayBeMissing) {
  namespace fs = std::filesystem;
  const fs::path named = fs::absolute(target).lexically_normal();
  fs::path folder = named;
  if (!folder.has_filename()) folder = folder.parent_path();  // the trailing separator
  std::error_code error;
  int missing = 0;
  while (!fs::is_directory(folder, error) && folder.has_relative_path()) {
    folder = folder.parent_path();
    ++missing;
  }
  if (lastMayBeMissing && missing > 1) {
    throw Failure("The folder " + folder.string() + " has no " +
                  named.lexically_relative(folder).begin()->string() + " in it, so the target " +
                  target + " cannot be made there; check the target");
  }
  settleVolume(folder.string());
  VolumeSpace space;
  std::string why;
  if (!readVolumeSpace(folder.string(), space, why)) throw Failure(why);
  return space;
}

std::uint64_t planFootprint(const TextTable& files1, const std::string& target,
                            const VolumeSpace& space, bool cut) {
  const std::int64_t folders =
      space.foldersTakeBlocks ? measureFileList(files1, target).folders : 0;
  return listFootprint(files1, space.blockSize, folders) +
         (cut ? cutFilesMargin(files1, space.blockSize) : 0);
}

std::string volumeText(const VolumeSpace& space) {
  return "the volume mounted on " + space.mountPoint + " (" + std::to_string(space.availableBytes) +
         " bytes free)";
}

void checkPlanFits(const TextTable& files1, const std::string& target, bool cut) {
  const VolumeSpace space = volumeOfTarget(target, false);
  const std::uint64_t footprint = planFootprint(files1, target, space, cut);
  if (footprint <= space.availableBytes) return;
  throw Failure("The " + std::to_string(files1.rowCount()) + " files for " + target + " take " +
                std::to_string(footprint) + " bytes in " + std::to_string(space.blockSize) +
                "-byte blocks" +
                (cut ? " (with the extent records of files cut into pieces)" : "") +
                ", more than " + volumeText(space) + " can hold; nothing was written");
}

}  // namespace brimwell::aging
