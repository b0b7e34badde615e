// The census's rule for the row a file counts on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/text_table.h"

namespace brimwell::census {

// The first row of `sizes` whose threshold is at least `size`, or the last row when none is.
// Thresholds are parsed as 32-bit cells afresh, in table order and only up to the row
// found, so one that does not parse fails only when a file reaches it. `sizes` has rows.
std::size_t censusRow(const TextTable& sizes, std::int64_t size);

}  // namespace brimwell::census
