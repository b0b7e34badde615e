// The user's regional settings that the tool shows numbers with.
#pragma once

#include <string>

namespace brimwell {

// The user locale's decimal separator; "." when the locale sets none.
std::string userDecimalSeparator();

}  // namespace brimwell
