#include "app/byte_total.h"

#include <algorithm>
#include <limits>

#include "app/size_text.h"

namespace brimwell {

std::string decimalText(ByteTotal total) {
  std::string digits;
  do {
    digits += static_cast<char>('0' + static_cast<int>(total % 10));
    total /= 10;
  } while (total != 0);
  std::reverse(digits.begin(), digits.end());
  return digits;
}

std::string totalWithUnit(ByteTotal total) {
  if (const auto small = asUint64(total)) return bytesWithUnit(*small);
  constexpr double kTebibyte = 1024.0 * 1024.0 * 1024.0 * 1024.0;
  return decimalText(total) + " bytes (" +
         fixedDecimals(static_cast<double>(total) / kTebibyte, 1) + " TiB)";
}

std::optional<std::uint64_t> asUint64(ByteTotal total) {
  if (total > std::numeric_limits<std::uint64_t>::max()) return std::nullopt;
  return static_cast<std::uint64_t>(total);
}

}  // namespace brimwell
