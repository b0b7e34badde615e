// --fill: a file list sized so that writing it brings the volume holding the target to a
// chosen share of its size.
#pragma once

#include <cstdint>

#include "app/outcome.h"
#include "cli/session.h"

namespace brimwell::cli {

// Builds the file list from the loaded template with as many files as bring the volume
// holding the field `reprodpath` to `percent` % used, counting each file in whole blocks
// (and the folders' blocks), then removes entries at random until it fits; it lands within
// one or two points below. The same random state gives the same list. Fails before anything
// is built when the volume is already that full or its free space cannot hold the files.
Outcome buildToFill(Session& session, double percent);

}  // namespace brimwell::cli
