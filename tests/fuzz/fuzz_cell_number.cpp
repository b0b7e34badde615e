// Fuzzes the text-cell number parser against a plain reference reading of the rules: for
// any text, both widths must give the same value or both must fail.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/cell_number.h"

namespace {

// The rules read literally, with a wide integer so no range check can overflow.
std::optional<__int128> reference(const std::string& text, int bits) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  int sign = 1;
  if (text[i] == '+' || text[i] == '-') sign = text[i++] == '-' ? -1 : 1;
  std::string rest = text.substr(i);
  int base = 10;
  for (const char* prefix : {"0x", "0X", "$", "x", "X"}) {
    const std::string p(prefix);
    if (rest.compare(0, p.size(), p) == 0) {
      base = 16;
      rest = rest.substr(p.size());
      break;
    }
  }
  if (rest.empty()) return std::nullopt;
  __int128 value = 0;
  int significant = 0;
  for (char c : rest) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    if (significant > 0 || digit != 0) ++significant;
    if (significant > 24) return std::nullopt;  // beyond either width, and keeps the sum small
    value = value * base + digit;
  }
  const __int128 limit = static_cast<__int128>(1) << (bits - 1);
  if (base == 16) {
    if (significant > bits / 4) return std::nullopt;
    const unsigned __int128 mask = (static_cast<unsigned __int128>(1) << bits) - 1;
    unsigned __int128 pattern = static_cast<unsigned __int128>(sign * value) & mask;
    return pattern >= static_cast<unsigned __int128>(limit)
               ? static_cast<__int128>(pattern) - 2 * limit
               : static_cast<__int128>(pattern);
  }
  value *= sign;
  if (value < -limit || value > limit - 1) return std::nullopt;
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto narrow = brimwell::tryParseInt32(text);
  const auto wide = brimwell::tryParseInt64(text);
  const auto narrowReference = reference(text, 32);
  const auto wideReference = reference(text, 64);
  if (narrow.has_value() != narrowReference.has_value()) std::abort();
  if (narrow && *narrow != *narrowReference) std::abort();
  if (wide.has_value() != wideReference.has_value()) std::abort();
  if (wide && *wide != *wideReference) std::abort();
  return 0;
}
