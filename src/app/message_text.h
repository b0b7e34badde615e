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

// `text` with every byte sequence that is not UTF-8 replaced by U+FFFD, one for each run that
// breaks off (an overlong form, a surrogate, a cut sequence), the byte that broke a sequence
// read again as the start of the next: the rule the JSON writer follows.
std::string validUtf8(std::string_view text);

// A name from the file system as a document shows it: valid UTF-8 (above), control
// characters escaped as printableMessage() does, and U+FFFE and U+FFFF, which no XML
// document may hold, shown byte by byte ("\xEF\xBF\xBE"). What is left is a character any
// XML 1.0 document accepts.
std::string documentText(std::string_view text);

}  // namespace brimwell
