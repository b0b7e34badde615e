// The templates that come with the program, as the source tree holds them.
#pragma once

#include <string>

namespace brimwell::testing {

// The path of the bundled template `name` ("default", "unix-1993") in the source tree.
std::string sourceTemplate(const std::string& name);

}  // namespace brimwell::testing
