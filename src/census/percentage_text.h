// The text of one % cell: a count's share of the sum of all counts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brimwell::census {

// count × 100 / sum with two decimals and `decimalSeparator`, e.g. "0.13" for 1 of 800.
// The quotient is taken in extended precision, rendered to 18 significant digits, and that
// decimal text is rounded to two decimals with halves away from zero. `sum` is not 0.
std::string percentageText(std::int32_t count, std::int64_t sum, std::string_view decimalSeparator);

}  // namespace brimwell::census
