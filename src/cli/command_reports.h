// What the commands say about how a step ended: the erase's counts and refusals, a run
// stopped part way, and a failure with the file it is about.
#pragma once

#include <string>

#include "app/failure.h"
#include "app/outcome.h"
#include "cli/session.h"
#include "diskops/fragmentation.h"

namespace brimwell::cli {

// "; N listed files could not be deleted (M already missing)", or nothing.
std::string couldNotDeleteText(const diskops::EraseResult& result);
// "; the list PATH is now empty." or, with files refused, what the list keeps.
std::string listAfterEraseText(const std::string& listPath, const diskops::EraseResult& result);
// Exit 1 with the count and the first few paths (the entries the list kept) when listed
// files that exist could not be deleted; 0 otherwise. `command` names the command.
int reportRefusals(Session& session, const diskops::EraseResult& result, const char* command);
// The exit code for a step of run that ended with `outcome`; says which step it was and
// that the list at `listPath` names every file written.
int stoppedStep(Session& session, Outcome outcome, const char* step, const std::string& listPath);
// "The list L names every file written; 'brimwell-cli erase --list L' removes them."
std::string listNamesEveryFileText(const std::string& listPath);
// The failure as the command line shows it: the error-box text, with the command and the
// file it is about in front, a quoted cell cut to 200 characters, and control bytes escaped.
std::string failureText(const Failure& failure, const char* command);

}  // namespace brimwell::cli
