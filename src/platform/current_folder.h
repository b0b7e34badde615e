// The process's current folder, against which relative paths are taken.
#pragma once

#include <string>

namespace brimwell {

// The native path of the current folder; empty when the system cannot say (it was removed).
std::string currentFolder();

}  // namespace brimwell
