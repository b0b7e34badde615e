// Placeholder until the census lands.
#include "census/census.h"

namespace brimwell::census {
Outcome analyse(Context& c) {
  c.feedback.notice("The census is not built yet.");
  return Outcome::Stopped;
}
}  // namespace brimwell::census
