// The fragmentation passes: thin the file list to a random share, then erase those files.
#pragma once

#include <cstdint>

#include "app/context.h"
#include "app/outcome.h"

namespace brimwell::diskops {

// The "c) Sort out files for deletion" handler.
Outcome sortOut(Context& context);

struct EraseResult {
  Outcome outcome = Outcome::Done;
  std::int64_t erased = 0;  // files deleted
  std::int64_t failed = 0;  // listed files the erase could not delete
};

// The "d) Delete files to add fragmentation" handler. Like the writer, it asks the
// feedback whether to carry on after each file; when stopped, the list stays as it is.
EraseResult erase(Context& context);

}  // namespace brimwell::diskops
