// A total of byte counts that cannot wrap: 128 bits hold the sizes of more files than a
// volume can list, each of the largest size a file may have (2^63 - 1 bytes).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace brimwell {

__extension__ typedef unsigned __int128 ByteTotal;

// The total in decimal digits.
std::string decimalText(ByteTotal total);
// The total as bytesWithUnit() shows a 64-bit count: "N bytes (X.Y TiB)".
std::string totalWithUnit(ByteTotal total);
// The total when 64 bits hold it.
std::optional<std::uint64_t> asUint64(ByteTotal total);

}  // namespace brimwell
