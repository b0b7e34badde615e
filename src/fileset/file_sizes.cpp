// The size step: each template row hands out its scaled count of sizes, drawn between
// the previous row's threshold and its own, to the file entries in creation order.
#include <cmath>
#include <limits>

#include "app/cell_number.h"
#include "fileset/build_steps.h"

namespace brimwell::fileset {
namespace {

constexpr std::string_view kLeftOverSize = "1024";

// count x scale in extended precision, rounded to nearest with ties to even (the default
// rounding mode), as a 32-bit number. A product beyond the 32-bit range (possible only
// when negative counts shrink the sum) is held at the range's end rather than wrapped.
std::int32_t scaledCount(std::int32_t count, double scale) {
  const long double rounded =
      std::nearbyintl(static_cast<long double>(count) * static_cast<long double>(scale));
  constexpr auto kLowest = static_cast<long double>(std::numeric_limits<std::int32_t>::min());
  constexpr auto kHighest = static_cast<long double>(std::numeric_limits<std::int32_t>::max());
  if (rounded <= kLowest) return std::numeric_limits<std::int32_t>::min();
  if (rounded >= kHighest) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

void drawFileSizes(Context& context, double scale, const std::vector<std::uint32_t>& rowOfFile,
                   TextTable& files) {
  const TextTable& sizes = context.lists.sizes;
  RandomSource& random = context.random;
  const std::uint64_t fileCount = files.rowCount();
  std::uint64_t index = 0;
  std::int64_t lower = 0;
  const auto rowCount = static_cast<std::int32_t>(sizes.rowCount());
  for (std::int32_t row = 0; row < rowCount; ++row) {
    const auto at = static_cast<std::size_t>(row);
    const std::int64_t upper = parseInt64Cell(sizes.caption(at));
    const std::int32_t count = parseInt32Cell(sizes.subCell(at, kCountCell));
    const std::int32_t many = scaledCount(count, scale);
    // The low 32 bits of the difference; the drawn value is read as a signed number.
    const auto gap = static_cast<std::uint32_t>(static_cast<std::uint64_t>(upper) -
                                                static_cast<std::uint64_t>(lower));
    for (std::int32_t m = 0; m < many; ++m) {
      if (index >= fileCount) {
        // No entry is left to take a size: the sizes are still drawn, and only how many
        // matters from here on.
        const auto rest = static_cast<std::uint64_t>(many - m);
        skipDraws(random, rest);
        index += rest;
        break;
      }
      const auto offset = static_cast<std::int32_t>(random.draw(gap));
      const auto size = static_cast<std::int64_t>(static_cast<std::uint64_t>(lower) +
                                                  static_cast<std::uint64_t>(offset));
      files.setSubCell(rowOfFile[index], kSizeCell, formatInteger(size));
      ++index;
    }
    lower = upper;
    int percent = 0;
    if (progressPercent(row + 1, rowCount, percent)) context.feedback.setProgress(percent);
  }
  for (; index < fileCount; ++index) {
    files.setSubCell(rowOfFile[index], kSizeCell, kLeftOverSize);
  }
}

}  // namespace brimwell::fileset
