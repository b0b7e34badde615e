// Where this program's own executable file lies, as the system knows it.
#pragma once

#include <string>

namespace brimwell {

// The native path of the running executable; empty where the system does not say.
std::string ownExecutablePath();

}  // namespace brimwell
