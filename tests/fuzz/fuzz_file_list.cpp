// Fuzzes the command line's file-list reader with any bytes. A list it refuses must leave
// the table as it was; a list it takes must survive being written and read again unchanged,
// with the target its first line records; and an entry the target check refuses must fail
// the read, naming its line, before anything changes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/failure.h"
#include "joblist/list_file.h"
#include "joblist/list_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  brimwell::TextTable table(2);
  table.addRow("kept\tentry");
  table.addSubCell(0, "1");
  brimwell::joblist::ListHeader header;
  try {
    brimwell::joblist::parseFileList(text, "fuzz", table, header, nullptr);
  } catch (const brimwell::Failure&) {
    if (table.rowCount() != 1 || table.caption(0) != "kept\tentry") std::abort();
    return 0;
  }
  const std::string written = brimwell::joblist::fileListText(table, header);
  brimwell::TextTable again(2);
  brimwell::joblist::ListHeader againHeader;
  brimwell::joblist::parseFileList(written, "again", again, againHeader, nullptr);
  if (brimwell::joblist::fileListText(again, againHeader) != written) std::abort();
  if (!again.empty() && againHeader.target != header.target) std::abort();

  // Read once more, keeping every entry inside the recorded target: a list it takes holds
  // only entries that the check lets through.
  if (!header.target) return 0;
  const std::string target = *header.target;
  brimwell::TextTable checked(2);
  brimwell::joblist::ListHeader checkedHeader;
  try {
    brimwell::joblist::parseFileList(written, "checked", checked, checkedHeader,
                                     [&](std::string_view path) {
                                       return brimwell::joblist::outsideTargetReason(path, target);
                                     });
  } catch (const brimwell::Failure&) {
    if (!checked.empty()) std::abort();
    return 0;
  }
  for (std::size_t row = 0; row < checked.rowCount(); ++row) {
    if (brimwell::joblist::outsideTargetReason(checked.caption(row), target)) std::abort();
  }
  return 0;
}
