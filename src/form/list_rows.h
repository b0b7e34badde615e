// A TextTable as a list control reads it: one view row per table row, no object per row.
//
// Outside a batch, cell changes are forwarded at once and row changes (added, removed,
// reordered rows) are gathered into one reset when the view's event loop next runs, so a
// run of single-row changes costs one relayout. Inside a batch the view keeps the row
// count it had ("suspend repainting") and is reset once when the batch ends. The table may
// change under the view at any time: every read checks the row against the live table.
//
// Only the first column (the caption) is editable; an edit is written back into the
// table. Inside a batch a caption stays editable only while the table holds as many rows
// as the view shows (an operation that updates cells, such as the census, takes the
// edit); once rows were added or removed, the view's rows no longer name the table's, so
// no edit is taken until the batch ends.
#pragma once

#include <cstddef>
#include <string_view>

#include "app/text_table.h"

namespace brimwell::form {

// The list control's side.
class ListDisplay {
 public:
  virtual ~ListDisplay() = default;
  // Around a reset: the shown row count changes in between.
  virtual void beforeReset() = 0;
  virtual void afterReset() = 0;
  virtual void cellChanged(int row, int column) = 0;
  // Asks for ListRows::resetIfPending() once the event loop runs again.
  virtual void resetLater() = 0;
};

class ListRows : public TableListener {
 public:
  ListRows(TextTable& table, ListDisplay& display);
  ~ListRows() override;
  ListRows(const ListRows&) = delete;
  ListRows& operator=(const ListRows&) = delete;

  TextTable& table() { return table_; }
  int shownRows() const { return shownRows_; }
  // A cell's text; empty for a row or sub-cell the live table lacks.
  std::string_view cellText(int row, int column) const;
  bool captionEditable(int row) const;
  // Writes an edited caption back; false when the caption is not editable now.
  bool setCaption(int row, std::string_view text);
  void resetIfPending();

  void tableBatchStarted() override {}
  void tableBatchEnded() override;
  void tableRowsChanged() override;
  void tableCellChanged(std::size_t row, std::size_t column) override;

 private:
  void reset();

  TextTable& table_;
  ListDisplay& display_;
  int shownRows_ = 0;
  bool resetPending_ = false;
};

}  // namespace brimwell::form
