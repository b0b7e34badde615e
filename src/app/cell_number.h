// Numbers held as text cells, as the user sees them, parsed when an operation uses them.
//
// A cell parses as: leading blanks (the space character only), one optional sign, then
// decimal digits (leading zeros allowed) or a hexadecimal number after "$", "x", "X",
// "0x" or "0X" with at least one digit; nothing may follow. A decimal value must lie in
// the signed range of the width; a hexadecimal one may have up to 8 (16) significant
// digits and is the bit pattern ($FFFFFFFF is -1), negated by a sign before the prefix.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brimwell {

std::optional<std::int32_t> tryParseInt32(std::string_view text);
std::optional<std::int64_t> tryParseInt64(std::string_view text);

// As above, failing with "'text' is not a valid integer value".
std::int32_t parseInt32Cell(std::string_view text);
std::int64_t parseInt64Cell(std::string_view text);

// Plain decimal with a minus sign for negatives, no separators or leading zeros.
std::string formatInteger(std::int64_t value);

}  // namespace brimwell
