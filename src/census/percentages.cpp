// The % column: every row's count as a share of the sum of all counts.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/cell_number.h"
#include "census/percentage_text.h"
#include "census/size_template.h"

namespace brimwell::census {
namespace {

// The significant digits that the quotient is rendered to before it is rounded.
constexpr int kSignificantDigits = 18;

// Adds one to the decimal digits in `digits` (most significant first), growing it on carry.
void incrementDecimal(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

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
  const std::string_view text(rendered);
  const bool negative = text.front() == '-';
  const std::size_t first = negative ? 1 : 0;
  const std::size_t exponentMark = text.find('e');
  std::string mantissa;
  mantissa += text[first];
  mantissa.append(text.substr(first + 2, exponentMark - first - 2));
  const int exponent = std::atoi(rendered + exponentMark + 1);

  // The value is 0.<mantissa> × 10^(exponent + 1); keep the digits down to hundredths,
  // and round up when the first dropped digit is 5 or more (halves away from zero).
  const int kept = exponent + 1 + 2;
  std::string hundredths;
  bool roundUp = false;
  if (kept <= 0) {
    roundUp = kept == 0 && mantissa.front() >= '5';
  } else if (static_cast<std::size_t>(kept) < mantissa.size()) {
    hundredths = mantissa.substr(0, static_cast<std::size_t>(kept));
    roundUp = mantissa[static_cast<std::size_t>(kept)] >= '5';
  } else {
    hundredths = mantissa;
    hundredths.append(static_cast<std::size_t>(kept) - mantissa.size(), '0');
  }
  if (hundredths.empty()) hundredths = "0";
  if (roundUp) incrementDecimal(hundredths);
  if (hundredths.size() < 3) hundredths.insert(0, 3 - hundredths.size(), '0');

  const bool isZero = hundredths.find_first_not_of('0') == std::string::npos;
  std::string result;
  if (negative && !isZero) result += '-';
  // Digits before the separator, without leading zeros but at least one.
  const std::size_t units = hundredths.size() - 2;
  std::size_t lead = 0;
  while (lead + 1 < units && hundredths[lead] == '0') ++lead;
  result.append(hundredths, lead, units - lead);
  result.append(decimalSeparator);
  result.append(hundredths, units, 2);
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
