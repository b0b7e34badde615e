#include "form/spin_rules.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "app/cell_number.h"

namespace brimwell::form {

std::string steppedText(std::string_view text, std::int32_t minimum, std::int32_t maximum,
                        int delta) {
  std::int64_t next = static_cast<std::int64_t>(spinFieldValue(text, minimum)) + delta;
  if (minimum != maximum) next = std::clamp<std::int64_t>(next, minimum, maximum);
  next = std::clamp<std::int64_t>(next, std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max());
  return formatInteger(next);
}

std::optional<std::string> clampedText(std::string_view text, std::int32_t minimum,
                                       std::int32_t maximum) {
  const auto parsed = tryParseInt32(text);
  if (!parsed) return std::nullopt;
  const std::int32_t clamped = clampToRange(*parsed, minimum, maximum);
  if (clamped == *parsed) return std::nullopt;
  return formatInteger(clamped);
}

bool acceptsTyped(std::string_view typed, std::string_view decimalSeparator) {
  if (typed == decimalSeparator) return true;
  // Bytes of a multi-byte character are none of these, so a byte test suffices.
  return std::all_of(typed.begin(), typed.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= '0' && byte <= '9') || byte == '+' || byte == '-' ||
           ((byte < 0x20 || byte == 0x7f) && byte != '\r');
  });
}

}  // namespace brimwell::form
