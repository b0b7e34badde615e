// Opening a path of any length: one longer than the system's path limit (PATH_MAX) is
// opened in pieces, each folder relative to the one before (openat), so a walk reaches
// every folder of a tree, however deep.
#pragma once

#include <string>

namespace brimwell {

// open(native, flags) for a path of any length: the descriptor, or -1 with errno set.
int openAnyLength(const std::string& native, int flags);

}  // namespace brimwell
