// The location census: walks a location twice and fills the template's counts.
#pragma once

#include "app/context.h"
#include "app/outcome.h"
#include "walk/unread_paths.h"

namespace brimwell::census {

// The "Analyse" handler: counts the files under the text of `scanpath`, then classifies
// them by size into the template's rows and reports the totals in the status line, with
// the count of folders and files that could not be read behind them.
Outcome analyse(Context& context);
// The same, handing over the folders and files that could not be read.
Outcome analyse(Context& context, walk::UnreadPaths& unread);

}  // namespace brimwell::census
