// Whether `text` holds `part`: how the tests look for a message in a program's output.
#pragma once

#include <string_view>

namespace brimwell::testing {

inline bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace brimwell::testing
