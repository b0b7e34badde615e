// A measurement as an SVG picture: a heading with the target, its file system and the
// figures that sum up its state (layout score, fragmented share, probe), then two bar
// charts: the template against the achieved share per row, and the free space by size
// class, both as a share of the free extents and as a share of the free bytes (a few large
// extents may hold most of the free space).
#pragma once

#include <string>

#include "measure/measurement.h"

namespace brimwell::measure {

// The whole SVG document, ready to be written to a file.
std::string measurementPicture(const Measurement& measurement);

}  // namespace brimwell::measure
