// Keeps what the user is doing in a list across a reset of its model: the form's
// EditKeeper (form/edit_keeper.h) told of Qt's selection and in-place editor.
#pragma once

#include <QStyledItemDelegate>
#include <QTableView>

#include "form/edit_keeper.h"
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
  void beforeReset();
  void afterReset();

  QTableView& view_;
  TextTableModel& model_;
  // Told from the delegate's const calls.
  mutable form::EditKeeper keeper_;
  int rowToSelect_ = -1;
};

}  // namespace brimwell::gui
