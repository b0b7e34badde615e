// Texts from files, as the command line quotes them in its messages: control bytes are
// shown escaped ("\t", "\r", "\n", "\0", others as "\xNN"), so a NUL or a line end cannot
// cut a message short or forge a line, and a long text is cut to 200 characters with "...".
// Characters that show as nothing (a byte-order mark, zero-width spaces and joiners) are
// shown byte by byte ("\xEF\xBB\xBF"), so a message does not seem to quote a good value.
#pragma once

#include <string>
#include <string_view>

namespace brimwell {

inline constexpr std::size_t kQuotedCellLimit = 200;

std::string quotedCell(std::string_view text);

// A message (an error-box text) with every control byte escaped as above, not cut.
std::string printableMessage(std::string_view text);

// True when `text` holds a byte that does not show, a TAB aside: a control byte other than
// TAB, or a character that shows as nothing.
bool holdsHiddenBytes(std::string_view text);

}  // namespace brimwell
