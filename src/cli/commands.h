// The commands of brimwell-cli, each running the window's operations on the same code.
//
// Status texts, notices and questions go to stderr as the window shows them; results
// (the census table, what a job made) go to stdout. A failure prints the error-box text
// on stderr. The file list is read before anything is written or deleted, and written
// back only when the operation that changes it has run to its end.
#pragma once

#include "cli/command_line.h"

namespace brimwell::cli {

// Runs the command; returns the exit code (see exit_codes.h).
int runCommand(const CliOptions& options);

}  // namespace brimwell::cli
