// The probe: one new file of a given size, placed whole and written with random bytes into
// the measured folder, its extents read, then deleted, to show how a new large file gets
// laid out. Taken from a settled volume (the measurement settles it first), two probes of
// an unchanged volume agree.
#pragma once

#include <cstdint>
#include <string>

#include "measure/measurement.h"

namespace brimwell::measure {

// Writes, measures and deletes the probe under `folder` (ending in a separator). A probe
// that cannot be written (a full drive) is deleted again and reported unknown.
ProbeFigures runProbe(Context& context, const std::string& folder, std::uint64_t bytes);

}  // namespace brimwell::measure
