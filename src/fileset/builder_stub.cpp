// Placeholder until the builder lands.
#include "fileset/builder.h"

namespace brimwell::fileset {
Outcome build(Context& c) {
  c.feedback.notice("The builder is not built yet.");
  return Outcome::Stopped;
}
}  // namespace brimwell::fileset
