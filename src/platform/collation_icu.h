// The ICU collation for a named locale (the user's locale is userCollation()), for
// callers and tests that need a fixed order. Not available where the platform's own
// comparison stands in for ICU.
#pragma once

#include <memory>

#include "platform/collation.h"

namespace brimwell {

// The collation of ICU locale `locale` (for example "en_US", "de_DE", "" for the root
// order) with the same settings as userCollation().
std::unique_ptr<Collation> icuCollation(const char* locale);

}  // namespace brimwell
