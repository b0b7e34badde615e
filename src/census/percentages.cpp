// The % column: every row's count as a share of the sum of all counts.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/cell_number.h"
#include "census/percentage_text.h"
#include "census/size_template.h"

namespace brimwell::census {
namespace {

// The significant digits that the quotient is rendered to before it is rounded.
constexpr int kSignificantDigits = 18;

}  // namespace

std::string percentageText(std::int32_t count, std::int64_t sum,
                           std::string_view decimalSeparator) {
  // The product is formed in 64 bits: it is exact for every count, where a 32-bit product
  // would turn counts above 21,474,836 into nonsense. Both operands are exact in the
  // 64-bit mantissa of long double.
  const std::int64_t product = static_cast<std::int64_t>(count) * 100;
  const long double quotient = static_cast<long double>(product) / static_cast<long double>(sum);

  // "-d.ddddddddddddddddde+XX": the quotient to 18 significant digits, ties to even.
  char rendered[64];
  std::snprintf(rendered, sizeof rendered, "%.*Le", kSignificantDigits - 1, quotient);
  const bool negative = rendered[0] == '-';
  const char* leading = rendered + (negative ? 1 : 0);
  char digits[kSignificantDigits];
  digits[0] = leading[0];
  std::memcpy(digits + 1, leading + 2, kSignificantDigits - 1);
  const int exponent = std::atoi(leading + 2 + kSignificantDigits - 1 + 1);

  // The value is 0.<digits> × 10^(exponent + 1). Keep the digits down to hundredths and
  // round up when the first dropped digit is 5 or more (halves away from zero). The
  // quotient stays below 10^12, so at most 14 digits are kept: they fit 64 bits.
  const int kept = exponent + 1 + 2;
  std::uint64_t hundredths = 0;
  for (int i = 0; i < kept; ++i) {
    hundredths = hundredths * 10 + static_cast<unsigned>(digits[i] - '0');
  }
  if (kept >= 0 && digits[kept] >= '5') ++hundredths;

  std::string result;
  if (negative && hundredths != 0) result += '-';
  result += std::to_string(hundredths / 100);
  result.append(decimalSeparator);
  result += static_cast<char>('0' + hundredths % 100 / 10);
  result += static_cast<char>('0' + hundredths % 10);
  return result;
}

void UpdatePercentages(TextTable& sizes, std::string_view decimalSeparator) {
  if (sizes.empty()) return;
  std::vector<std::int32_t> counts(sizes.rowCount());
  std::int64_t sum = 0;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    counts[row] = parseInt32Cell(sizes.subCell(row, kCountCell));
    sum += counts[row];
  }
  if (sum == 0) return;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    sizes.setSubCell(row, kPercentCell, percentageText(counts[row], sum, decimalSeparator));
  }
}

}  // namespace brimwell::census
