// The ICU collation for a named locale (the user's locale is userCollation()), for
// callers and tests that need a fixed order. Not available where the platform's own
// comparison stands in for ICU.
#pragma once

#include <memory>
#include <string>

#include "platform/collation.h"

namespace brimwell {

// The collation of ICU locale `locale` (for example "en_US", "de_DE", "" for the root
// order) with the same settings as userCollation().
std::unique_ptr<Collation> icuCollation(const char* locale);

// The ICU locale of the user's collation category, read from the environment: the first
// of LC_ALL, LC_COLLATE and LANG that is set and not empty, without its codeset and
// modifier ("de_DE.UTF-8" gives "de_DE"); empty for C and POSIX (also C.UTF-8) and when
// none is set, where userCollation() orders texts byte by byte.
std::string collationLocaleName();

}  // namespace brimwell
