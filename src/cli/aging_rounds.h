// run --rounds K: the drive aged in rounds. The first round is an ordinary run; each further
// round builds a new batch into the same roots under its own serial prefix (the prefix and
// "rK-"), sized to bring the volume back to the level of the first, writes it, and erases
// the chosen share of all files written so far that remain, so new files land in the holes
// old ones left. Every round ends with a line of figures on stdout; --list keeps the list of
// every file still on disk.
#pragma once

#include "cli/command_line.h"
#include "cli/session.h"

namespace brimwell::cli {

int runRounds(Session& session, const CliOptions& options);

}  // namespace brimwell::cli
