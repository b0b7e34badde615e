// The user's regional settings that the tool shows numbers with.
#pragma once

#include <string>
#include <string_view>

namespace brimwell {

// The user locale's decimal separator; "." when the locale sets none.
std::string userDecimalSeparator();

// The window's text (UTF-8) in the code page that the operations and the file system use,
// and back. On Windows that is the ANSI code page, which the "A" calls read: a character
// the code page lacks becomes "?", which no file name may hold, so such a name fails
// rather than naming another file. Elsewhere paths are UTF-8 already, and the text is
// returned as it is.
std::string systemTextFromUtf8(std::string_view utf8);
std::string utf8FromSystemText(std::string_view text);

}  // namespace brimwell
