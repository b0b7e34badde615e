#include "aging/list_layout.h"

#include <string>

#include "measure/layout_reader.h"

namespace brimwell::aging {

measure::FileLayoutFigures listLayout(Volume& volume, const TextTable& list,
                                      const std::vector<std::size_t>& rows,
                                      std::uint32_t blockSize) {
  measure::LayoutReader reader(volume, blockSize);
  // The reader tallies every answer itself.
  for (const std::size_t row : rows) (void)reader.add(std::string(list.caption(row)));
  return reader.figures();
}

measure::FileLayoutFigures listLayout(Volume& volume, const TextTable& list,
                                      std::uint32_t blockSize) {
  measure::LayoutReader reader(volume, blockSize);
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    (void)reader.add(std::string(list.caption(row)));
  }
  return reader.figures();
}

}  // namespace brimwell::aging
