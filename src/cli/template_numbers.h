// The numbers of a template a job builds from, checked on the command line where the file
// is known: a cell that is not a whole number fails naming the file and its line.
#pragma once

#include <string>

#include "app/context.h"

namespace brimwell::cli {

// Loads the template at `path` into `context` and fails with "The template 'PATH', line N:
// 'CELL' is not a valid integer value" at the first threshold or count that is not a whole
// number (invisible characters in CELL shown escaped).
void loadTemplateForJob(Context& context, const std::string& path);

}  // namespace brimwell::cli
