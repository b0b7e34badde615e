// Where the running program's own file is, so that it can find what was installed with it.
#pragma once

#include <filesystem>

namespace brimwell {

// The running program's file; empty where the system does not say.
std::filesystem::path ownExecutable();

}  // namespace brimwell
