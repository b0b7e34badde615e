// The fragmentation passes: thin the file list to a random share, then erase those files.
#pragma once

#include <cstdint>
#include <vector>

#include "app/context.h"
#include "app/outcome.h"

namespace brimwell::diskops {

// The "c) Sort out files for deletion" handler. With `picked`, the list is left as it is and
// the entries to remove are flagged there instead (one flag a row), for a caller that
// writes out the rest in one pass.
Outcome sortOut(Context& context, std::vector<bool>* picked = nullptr);
// How many of `count` entries the sort-out removes at `percent` (the files that stay on
// disk): with diskops::pickRemovals and the job's random source as it will be, the rows it
// will pick, known before.
std::size_t sortOutRemovals(std::size_t count, std::int32_t percent);

struct EraseResult {
  Outcome outcome = Outcome::Done;
  std::int64_t erased = 0;   // files deleted
  std::int64_t failed = 0;   // listed files the erase could not delete (missing ones too)
  std::int64_t missing = 0;  // of those, files (or their folders) that were not there
};

// What the erase leaves in the list.
enum class EraseKeeps {
  Nothing,  // the window's erase: the list is emptied
  Refused,  // the entries whose files exist and could not be deleted, for a retry
};

// The "d) Delete files to add fragmentation" handler. No link below the target folder is
// followed: a file in a linked folder is not deleted (it is refused), and a listed file
// that is itself a link is deleted as the link. Like the writer, it asks the feedback
// whether to carry on after each file; when stopped, the list stays as it is.
EraseResult erase(Context& context, EraseKeeps keeps = EraseKeeps::Nothing);

}  // namespace brimwell::diskops
