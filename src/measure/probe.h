// The probe: one new file of a given size, placed whole and written with random bytes into
// the measured folder, its extents read, then deleted, to show how a new large file gets
// laid out. Taken from a settled volume (the measurement settles it first), two probes of
// an unchanged volume agree.
#pragma once

#include <cstdint>
#include <string>

#include "measure/measurement.h"

namespace brimwell::measure {

// Writes, measures and deletes the probe under `folder` (ending in a separator). The probe
// gets a random name (drawn again while the name is taken), is created inside `folder`
// only where nothing is at its name and without following a link, and is deleted on every
// way out (a failed write, a full drive, the user stopping it: then it is reported unknown,
// with the reason, and `stopped` tells the stop). Fails before writing when its blocks do
// not fit in the free space of the volume, naming the volume.
ProbeFigures runProbe(Context& context, const std::string& folder, std::uint64_t bytes);

}  // namespace brimwell::measure
