// Placeholder until the writer lands.
#include "diskops/writer.h"

namespace brimwell::diskops {
Outcome reproduce(Context& c) {
  c.feedback.notice("The writer is not built yet.");
  return Outcome::Stopped;
}
}  // namespace brimwell::diskops
