// What census and measure say when part of the tree could not be read: their figures are
// then partial, so they say how much is missing, name the first paths with the reason,
// and exit 1 (as du does).
#pragma once

#include "cli/session.h"
#include "walk/unread_paths.h"

namespace brimwell::cli {

// With nothing unread, `exitCode`; otherwise says so on stderr and returns 1.
int reportUnread(Session& session, const walk::UnreadPaths& unread, const char* command,
                 int exitCode);

}  // namespace brimwell::cli
