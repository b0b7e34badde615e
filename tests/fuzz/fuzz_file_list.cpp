// Fuzzes the command line's file-list reader with any bytes. A list it refuses must leave
// the table as it was; a list it takes must survive being written and read again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/failure.h"
#include "cli/list_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  brimwell::TextTable table(2);
  table.addRow("kept\tentry");
  table.addSubCell(0, "1");
  try {
    brimwell::cli::parseFileList(text, "fuzz", table);
  } catch (const brimwell::Failure&) {
    if (table.rowCount() != 1 || table.caption(0) != "kept\tentry") std::abort();
    return 0;
  }
  const std::string written = brimwell::cli::fileListText(table);
  brimwell::TextTable again(2);
  brimwell::cli::parseFileList(written, "again", again);
  if (brimwell::cli::fileListText(again) != written) std::abort();
  return 0;
}
