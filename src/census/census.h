// The location census: walks a location twice and fills the template's counts.
#pragma once

#include "app/context.h"
#include "app/outcome.h"

namespace brimwell::census {

// The "Analyse" handler: counts the files under the text of `scanpath`, then classifies
// them by size into the template's rows and reports the totals in the status line.
Outcome analyse(Context& context);

}  // namespace brimwell::census
