// Templates the builder cannot model, refused before anything changes.
//
// The size step draws a size as the previous threshold plus draw(the low 32 bits of the
// gap), read as a signed 32-bit number, and scales counts by their 32-bit sum. So it has no
// room for thresholds that fall, for consecutive thresholds 2 GiB or more apart (the first
// row counts from 0), for negative counts, or for counts whose sum does not fit 32 bits.
// Such a template gives a notice that names the row and what is wrong; nothing is built.
// Cells that are not numbers are left to the build, which fails with their message.
#pragma once

#include <optional>
#include <string>

#include "app/context.h"
#include "app/outcome.h"
#include "app/text_table.h"

namespace brimwell::fileset {

// Why the builder cannot model `sizes`, naming the row; nothing when it can.
std::optional<std::string> unmodelledTemplateReason(const TextTable& sizes);

// The "a) Build file system" handler with that check first: a template the builder
// cannot model gets its notice and the build stops (Stopped).
Outcome buildChecked(Context& context);

}  // namespace brimwell::fileset
