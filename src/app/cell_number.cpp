#include "app/cell_number.h"

#include <charconv>

#include "app/failure.h"

namespace brimwell {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses into a 64-bit pattern for a cell of `bits` (32 or 64) width.
std::optional<std::uint64_t> parseBits(std::string_view text, int bits) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return std::nullopt;  // a bare sign, prefix, or nothing at all

  std::uint64_t magnitude = 0;
  if (hex) {
    int significant = 0;
    for (; i < text.size(); ++i) {
      const int digit = hexDigit(text[i]);
      if (digit < 0) return std::nullopt;
      if (significant > 0 || digit != 0) ++significant;
      if (significant * 4 > bits) return std::nullopt;
      magnitude = (magnitude << 4) | static_cast<std::uint64_t>(digit);
    }
    std::uint64_t pattern = negative ? 0 - magnitude : magnitude;
    if (bits == 32) {
      // Sign-extend the 32-bit pattern so the caller can narrow it.
      pattern = static_cast<std::uint64_t>(static_cast<std::int64_t>(
          static_cast<std::int32_t>(static_cast<std::uint32_t>(pattern))));
    }
    return pattern;
  }

  const std::uint64_t limit = bits == 32
                                  ? (negative ? 2147483648ull : 2147483647ull)
                                  : (negative ? 9223372036854775808ull : 9223372036854775807ull);
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (magnitude > (limit - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  return negative ? 0 - magnitude : magnitude;
}

}  // namespace

std::optional<std::int32_t> tryParseInt32(std::string_view text) {
  const auto bits = parseBits(text, 32);
  if (!bits) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(*bits));
}

std::optional<std::int64_t> tryParseInt64(std::string_view text) {
  const auto bits = parseBits(text, 64);
  if (!bits) return std::nullopt;
  return static_cast<std::int64_t>(*bits);
}

std::int32_t parseInt32Cell(std::string_view text) {
  const auto value = tryParseInt32(text);
  if (!value) throwInvalidInteger(text);
  return *value;
}

std::int64_t parseInt64Cell(std::string_view text) {
  const auto value = tryParseInt64(text);
  if (!value) throwInvalidInteger(text);
  return *value;
}

std::string formatInteger(std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace brimwell
