// Fuzzes the template-file reader with any bytes. Whatever it reads must survive a save
// and a second read unchanged, and every row must hold its three sub-cells.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/failure.h"
#include "census/size_template.h"

namespace {

bool sameTable(const brimwell::TextTable& a, const brimwell::TextTable& b) {
  if (a.rowCount() != b.rowCount()) return false;
  for (std::size_t row = 0; row < a.rowCount(); ++row) {
    for (std::size_t column = 0; column < a.columnCount(); ++column) {
      if (a.cellText(row, column) != b.cellText(row, column)) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  brimwell::TextTable first(4);
  brimwell::census::readTemplate(bytes, first);
  for (std::size_t row = 0; row < first.rowCount(); ++row) {
    if (first.subCellCount(row) != 3) std::abort();
  }
  brimwell::TextTable second(4);
  brimwell::census::readTemplate(brimwell::census::writeTemplate(first), second);
  if (!sameTable(first, second)) std::abort();
  try {
    brimwell::census::UpdatePercentages(first, ",");
  } catch (const brimwell::Failure&) {
    // A count that is not a number is the user's to mend, not a fault.
  }
  return 0;
}
