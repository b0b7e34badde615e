// Keeps what the user is doing in a list across a reset of its model (the end of an
// operation that suspended the list's repainting): a caption being edited in place is
// committed first, and the selected row is selected again.
//
// Both happen only while the row is still the one the user chose: the table still holds
// the caption the row had when it was selected or last edited. After an operation that
// removed or replaced rows (sort-out, erase, a build) that row is another file, so the
// open edit is dropped and nothing is selected, as before.
#pragma once

#include <QStyledItemDelegate>
#include <QTableView>
#include <string>

#include "gui/table_model.h"

namespace brimwell::gui {

// The item delegate of `view`, which shows `model`; made a child of the view.
class ListEditKeeper : public QStyledItemDelegate {
 public:
  ListEditKeeper(QTableView& view, TextTableModel& model);

  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

 private:
  void remember(int row) const;
  bool rowUnchanged() const;
  void beforeReset();
  void afterReset();

  QTableView& view_;
  TextTableModel& model_;
  // The row the user chose and its caption then.
  mutable int row_ = -1;
  mutable std::string caption_;
  int rowToSelect_ = -1;
};

}  // namespace brimwell::gui
