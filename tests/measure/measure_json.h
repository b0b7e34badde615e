// Reading figures out of `brimwell-cli measure --json` in tests, by group and name.
#pragma once

#include <string>

namespace brimwell::testing {

// The number after "name": inside the group "group": { ... } (the first one there).
double jsonNumber(const std::string& json, const std::string& group, const std::string& name);
// True when the group says "known": true.
bool jsonKnown(const std::string& json, const std::string& group);

}  // namespace brimwell::testing
