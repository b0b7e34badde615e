// Whether a standard stream is a terminal (so a question can be asked, a bar drawn).
#pragma once

#include <cstdio>

namespace brimwell {

bool isTerminal(std::FILE* stream);

}  // namespace brimwell
