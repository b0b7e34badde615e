#include <io.h>

#include "platform/terminal.h"

namespace brimwell {

bool isTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

}  // namespace brimwell
