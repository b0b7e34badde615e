// The progress percentage of a loop, computed as 32-bit integers do.
#include <limits>

#include "fileset/build_steps.h"

namespace brimwell::fileset {

bool progressPercent(std::int32_t done, std::int32_t total, int& percent) {
  if (total == 0) return false;
  const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(done) * 100u);
  // The one quotient that does not fit: it wraps to itself, as the 32-bit division does.
  if (product == std::numeric_limits<std::int32_t>::min() && total == -1) {
    percent = product;
    return true;
  }
  percent = product / total;
  return true;
}

}  // namespace brimwell::fileset
