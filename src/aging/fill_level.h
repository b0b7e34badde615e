// --fill: a file list sized so that writing it brings the volume holding the target to a
// chosen share of its size.
#pragma once

#include <cstdint>
#include <optional>

#include "aging/used_model.h"
#include "app/context.h"
#include "app/fields.h"
#include "app/outcome.h"

namespace brimwell::aging {

// Builds the file list from the loaded template with as many files as bring the volume
// holding the field `reprodpath` (the volume is named by its mount point; only the target's
// last component may be missing) to `percent` % used, counting each file in whole blocks
// (and the folders' blocks), then removes entries at random until it fits; it lands within
// one or two points below. The same random state gives the same list. Fails before anything
// is built when the volume is already that full or its free space cannot hold the files. Sets the
// number of files in `fields`; reports the plan in the status line. The messages name the level by
// where it came from. `planned`: the space to plan from (a later round's, UsedModel); nothing: as
// the volume reports it. `cut`: the files are to be cut into pieces (run --layout), so the blocks
// of their extent records (cutFilesMargin) come out of the budget: fewer files rather than a volume
// that runs out mid-write.
enum class LevelFrom {
  Option,   // typed: --fill
  Refill,   // what the first round reached
  Profile,  // a drive's profile (run --like)
};
Outcome buildToFill(Context& context, FieldValues& fields, double percent,
                    LevelFrom from = LevelFrom::Option,
                    std::optional<PlannedSpace> planned = std::nullopt, bool cut = false);

}  // namespace brimwell::aging
