#include "app/size_text.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace brimwell {

std::string fixedDecimals(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  const std::string_view digits = text[0] == '-' ? text + 1 : text;
  if (digits.find_first_not_of("0.") == std::string_view::npos) return std::string(digits);
  return text;
}

std::string bytesWithUnit(std::uint64_t bytes) {
  std::string text = std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  constexpr std::array<const char*, 4> kUnits{"KiB", "MiB", "GiB", "TiB"};
  double scaled = static_cast<double>(bytes);
  std::size_t unit = 0;
  for (; scaled >= 1024.0 && unit < kUnits.size(); ++unit) scaled /= 1024.0;
  if (unit == 0) return text;
  return text + " (" + fixedDecimals(scaled, 1) + " " + kUnits[unit - 1] + ")";
}

std::string exactSize(std::uint64_t bytes) {
  constexpr std::array<const char*, 5> kUnits{"B", "KiB", "MiB", "GiB", "TiB"};
  std::size_t unit = 0;
  while (unit + 1 < kUnits.size() && bytes >= 1024 && bytes % 1024 == 0) {
    bytes /= 1024;
    ++unit;
  }
  return std::to_string(bytes) + " " + kUnits[unit];
}

}  // namespace brimwell
