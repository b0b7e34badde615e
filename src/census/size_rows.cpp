#include "census/size_rows.h"

#include "app/cell_number.h"

namespace brimwell::census {

std::size_t censusRow(const TextTable& sizes, std::int64_t size) {
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    if (parseInt32Cell(sizes.caption(row)) >= size) return row;
  }
  return sizes.rowCount() - 1;
}

}  // namespace brimwell::census
