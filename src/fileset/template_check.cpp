#include "fileset/template_check.h"

#include <cstdint>
#include <limits>

#include "app/cell_number.h"
#include "fileset/builder.h"

namespace brimwell::fileset {
namespace {

constexpr std::int64_t kLargestGap = std::numeric_limits<std::int32_t>::max();

std::string rowText(std::size_t row, std::string_view threshold) {
  return "The size template cannot be built from: row " + std::to_string(row + 1) + " (threshold " +
         std::string(threshold.substr(0, 40)) + (threshold.size() > 40 ? "...)" : ")");
}

}  // namespace

std::optional<std::string> unmodelledTemplateReason(const TextTable& sizes) {
  std::int64_t lower = 0;
  std::int64_t sum = 0;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    const std::string_view threshold = sizes.caption(row);
    const auto upper = tryParseInt64(threshold);
    const auto count = tryParseInt32(sizes.subCell(row, kCountCell));
    if (!upper || !count) return std::nullopt;  // the build fails with the cell's message
    if (*count < 0) {
      return rowText(row, threshold) + " has a negative count, " + formatInteger(*count) + ".";
    }
    sum += *count;
    if (sum > std::numeric_limits<std::int32_t>::max()) {
      return rowText(row, threshold) + " brings the sum of the counts past 2147483647.";
    }
    if (*upper < lower) {
      return rowText(row, threshold) + " is below the threshold before it, " +
             formatInteger(lower) + "; thresholds must ascend.";
    }
    if (*upper - lower > kLargestGap) {
      return rowText(row, threshold) + " lies 2 GiB or more above " +
             (row == 0 ? std::string("0") : "the threshold before it, " + formatInteger(lower)) +
             "; sizes are drawn within 2 GiB - 1 of the row before.";
    }
    lower = *upper;
  }
  return std::nullopt;
}

Outcome buildChecked(Context& context) {
  if (const auto reason = unmodelledTemplateReason(context.lists.sizes)) {
    context.feedback.notice(*reason);
    return Outcome::Stopped;
  }
  return build(context);
}

}  // namespace brimwell::fileset
