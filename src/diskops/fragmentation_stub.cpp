// Placeholder until the fragmentation passes land.
#include "diskops/fragmentation.h"

namespace brimwell::diskops {
Outcome sortOut(Context& c) {
  c.feedback.notice("Sorting out is not built yet.");
  return Outcome::Stopped;
}
EraseResult erase(Context& c) {
  c.feedback.notice("Erasing is not built yet.");
  return {Outcome::Stopped, 0, 0};
}
}  // namespace brimwell::diskops
