// The rules that tie the options aiming the aging together (--fill, --files, --layout,
// --like, --target); each option's own range and check are in the option table.
#pragma once

#include <string>

#include "cli/command_line.h"

namespace brimwell::cli {

// The problem with --like beside the options its profile replaces; empty when none.
// `layoutGiven`: --layout was given (its score is checked after this).
std::string likeConflict(const CliOptions& options, bool layoutGiven);
// The problem with how --layout, --fill, --files and --target go together; empty when none.
std::string agingOptionsProblem(const CliOptions& options);

}  // namespace brimwell::cli
