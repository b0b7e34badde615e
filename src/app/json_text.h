// Text as a JSON string value.
#pragma once

#include <string>

namespace brimwell {

// `text` quoted and escaped; a byte that is not part of well-formed UTF-8 (a name the file
// system holds in another encoding) becomes U+FFFD, so the document stays valid.
std::string jsonString(const std::string& text);

}  // namespace brimwell
