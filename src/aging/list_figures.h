// What a file list amounts to on disk: files, bytes and the folders that hold them.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/byte_total.h"
#include "app/text_table.h"

namespace brimwell::aging {

struct ListFigures {
  std::int64_t files = 0;
  ByteTotal bytes = 0;       // the sum of the Size cells (a cell that is not a count adds 0)
  std::int64_t folders = 0;  // distinct folders below `target`, every level counted
};

// Figures of `files1`, whose paths start with `target`.
ListFigures measureFileList(const TextTable& files1, std::string_view target);

}  // namespace brimwell::aging
