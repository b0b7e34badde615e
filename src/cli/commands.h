// The commands of brimwell-cli, each running the window's operations on the same code.
//
// Status texts, notices and questions go to stderr as the window shows them; results
// (the census table, what a job made) go to stdout. A failure prints the error-box text
// on stderr. The file list is read before anything is written or deleted; sort-out and
// erase write it back when they have run to their end, and run keeps it naming every file
// still on disk throughout (run_command.h). Ctrl-C and SIGTERM stop a job after the file
// it is on.
#pragma once

#include "cli/command_line.h"

namespace brimwell::cli {

// Runs the command; returns the exit code (see exit_codes.h).
int runCommand(const CliOptions& options);

}  // namespace brimwell::cli
