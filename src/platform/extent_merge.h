// Merging a file's or a volume's extents as they are read, so that runs which continue each
// other count as one whatever the file system's own record size.
#pragma once

#include <vector>

#include "platform/volume_layout.h"

namespace brimwell {

// Appends `next`, merged into the last extent when it continues it physically (and, with
// `logicalToo`, logically as well).
inline void appendMerged(std::vector<Extent>& out, const Extent& next, bool logicalToo) {
  if (!out.empty()) {
    Extent& last = out.back();
    const bool physical = last.physical + last.length == next.physical;
    const bool logical = !logicalToo || last.logical + last.length == next.logical;
    if (physical && logical) {
      last.length += next.length;
      return;
    }
  }
  out.push_back(next);
}

}  // namespace brimwell
