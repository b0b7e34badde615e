#include "gui/list_edit_keeper.h"

#include <QItemSelectionModel>

namespace brimwell::gui {

ListEditKeeper::ListEditKeeper(QTableView& view, TextTableModel& model)
    : QStyledItemDelegate(&view), view_(view), model_(model), keeper_(model.table()) {
  view_.setItemDelegate(this);
  connect(view_.selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            keeper_.remember(current.isValid() ? current.row() : -1);
          });
  model_.setResetHooks([this] { beforeReset(); }, [this] { afterReset(); });
}

void ListEditKeeper::setEditorData(QWidget* editor, const QModelIndex& index) const {
  QStyledItemDelegate::setEditorData(editor, index);
  keeper_.remember(index.row());
}

void ListEditKeeper::setModelData(QWidget* editor, QAbstractItemModel* model,
                                  const QModelIndex& index) const {
  QStyledItemDelegate::setModelData(editor, model, index);
  keeper_.remember(index.row());
}

void ListEditKeeper::beforeReset() {
  rowToSelect_ = keeper_.rowToKeep();
  if (rowToSelect_ < 0) return;
  // The reset closes an open editor without committing it: commit it first.
  if (QWidget* editor = view_.indexWidget(model_.index(rowToSelect_, 0))) emit commitData(editor);
}

void ListEditKeeper::afterReset() {
  if (rowToSelect_ < 0 || rowToSelect_ >= model_.rowCount()) return;
  view_.selectionModel()->setCurrentIndex(
      model_.index(rowToSelect_, 0),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace brimwell::gui
