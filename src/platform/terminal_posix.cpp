#include <unistd.h>

#include "platform/terminal.h"

namespace brimwell {

bool isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

}  // namespace brimwell
