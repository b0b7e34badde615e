// Keeps what the user is doing in a list across a reset of the list's rows (the end of an
// operation that suspended its repainting): a caption being edited in place is committed
// first, and the selected row is selected again.
//
// Both happen only while the row is still the one the user chose: the table still holds
// the caption the row had when it was selected or last edited. After an operation that
// removed or replaced rows (sort-out, erase, a build) that row is another file, so the
// open edit is dropped and nothing is selected.
#pragma once

#include <string>

#include "app/text_table.h"

namespace brimwell::form {

class EditKeeper {
 public:
  explicit EditKeeper(const TextTable& table) : table_(table) {}

  // The user selected `row` (-1: none), or opened or ended an edit of its caption.
  void remember(int row);
  // The row to commit an open edit of and to select after the reset; -1 for none.
  int rowToKeep() const;

 private:
  const TextTable& table_;
  int row_ = -1;
  std::string caption_;
};

}  // namespace brimwell::form
