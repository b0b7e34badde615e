// The layout of listed files as the volume holds them, tallied as `measure` tallies a tree.
#pragma once

#include <cstdint>
#include <vector>

#include "aging/layout_steer.h"
#include "app/text_table.h"
#include "measure/measurement.h"
#include "platform/volume.h"

namespace brimwell::aging {

// The figures of the files of `list` (captions are native paths) in `rows`, or of all of
// them, on `volume` of `blockSize` bytes a block.
measure::FileLayoutFigures listLayout(Volume& volume, const TextTable& list,
                                      const std::vector<std::size_t>& rows,
                                      std::uint32_t blockSize);
measure::FileLayoutFigures listLayout(Volume& volume, const TextTable& list,
                                      std::uint32_t blockSize);

inline LayoutJoins layoutJoins(const measure::FileLayoutFigures& figures) {
  return {figures.layoutBlocks, figures.contiguousBlocks};
}

}  // namespace brimwell::aging
