// Figures as text for reports and pictures: fixed decimals, byte counts with their unit.
#pragma once

#include <cstdint>
#include <string>

namespace brimwell {

// `value` with `decimals` decimals; a value that rounds to zero has no minus sign.
std::string fixedDecimals(double value, int decimals);

// "1234567 bytes (1.2 MiB)": the exact count, and its size at a glance.
std::string bytesWithUnit(std::uint64_t bytes);

// A size in the largest binary unit that divides it: "4 KiB", "1536 B".
std::string exactSize(std::uint64_t bytes);

}  // namespace brimwell
