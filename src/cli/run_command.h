// brimwell-cli run: the whole job, in one round or several (aging/rounds.h), with a list
// that names every file still on disk from before the first file is made to the end.
#pragma once

#include <string>

#include "cli/command_line.h"
#include "cli/session.h"

namespace brimwell::cli {

// Where run keeps its list when --list is not given: beside the target folder, named for
// it ("/mnt/scratch/" keeps "/mnt/scratch.brimwell-list.txt").
std::string listBesideTarget(const std::string& target);

int runJob(Session& session, const CliOptions& options);

}  // namespace brimwell::cli
