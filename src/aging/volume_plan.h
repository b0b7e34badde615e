// The volume a job writes to, and whether a plan fits on it before anything is written.
#pragma once

#include <cstdint>
#include <string>

#include "app/context.h"
#include "app/text_table.h"

namespace brimwell::aging {

// The volume holding the folder `target`, which need not exist yet: its nearest existing
// folder's, settled first (the blocks of files just deleted count as free). With
// `lastMayBeMissing` only the target's last component may be missing: a mistyped folder
// further up fails instead of sizing the volume of some folder above it.
VolumeSpace volumeOfTarget(Context& context, const std::string& target, bool lastMayBeMissing);

// What the files of `files1` take on `space` in whole blocks, with their folders (under
// `target`) where the volume gives folders blocks; with `cut` (run --layout cuts them into
// pieces) the blocks of their extent records too (cutFilesMargin).
std::uint64_t planFootprint(const TextTable& files1, const std::string& target,
                            const VolumeSpace& space, bool cut = false);

// "the volume mounted on /mnt/scratch (12345 bytes free)"
std::string volumeText(const VolumeSpace& space);

// Fails, naming the volume, its free space and the plan, when the files of `files1` (whole
// blocks, folders included, and the extent records of files to be cut with `cut`) cannot
// fit in the free space of the volume holding `target`.
void checkPlanFits(Context& context, const TextTable& files1, const std::string& target,
                   bool cut = false);

}  // namespace brimwell::aging
