// brimwell-cli measure: the figures of a folder and its volume on stdout (a table, or JSON
// with --json), and the picture in the --svg file.
#pragma once

#include "cli/command_line.h"
#include "cli/session.h"

namespace brimwell::cli {

int measureCommand(Session& session, const CliOptions& options);

}  // namespace brimwell::cli
