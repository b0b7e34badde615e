// What a file list amounts to on disk: files, bytes and the folders that hold them.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_set>

#include "app/byte_total.h"
#include "app/text_table.h"
#include "joblist/list_file.h"
#include "platform/path_style.h"

namespace brimwell::aging {

struct ListFigures {
  std::int64_t files = 0;
  ByteTotal bytes = 0;       // the sum of the Size cells (a cell that is not a count adds 0)
  std::int64_t folders = 0;  // distinct folders below `target`, every level counted
};

// Counts the figures entry by entry, in list order, for instance while the list is written.
// The paths it is given must stay in place until the count is done (a table's own text).
class ListFigureCounter : public joblist::ListEntrySink {
 public:
  explicit ListFigureCounter(std::string_view target);
  void entry(std::string_view path, std::string_view size) override;
  ListFigures figures() const;

 private:
  std::string_view target_;
  PathStyle style_;
  ListFigures figures_;
  std::unordered_set<std::string_view> folders_;
  std::string_view previous_;
};

// Figures of `files1`, whose paths start with `target`.
ListFigures measureFileList(const TextTable& files1, std::string_view target);

}  // namespace brimwell::aging
