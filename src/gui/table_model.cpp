#include "gui/table_model.h"

#include "gui/system_text.h"

namespace brimwell::gui {

TextTableModel::TextTableModel(TextTable& table, QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), rows_(table, *this), headers_(std::move(headers)) {}

int TextTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_.shownRows();
}

int TextTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant TextTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  if (!index.isValid()) return {};
  return fromSystemText(rows_.cellText(index.row(), index.column()));
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= headers_.size()) return {};
  return headers_[section];
}

Qt::ItemFlags TextTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (index.column() == 0 && rows_.captionEditable(index.row())) result |= Qt::ItemIsEditable;
  return result;
}

bool TextTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.column() != 0) return false;
  return rows_.setCaption(index.row(), toSystemText(value.toString()));
}

void TextTableModel::beforeReset() {
  if (beforeReset_) beforeReset_();
  beginResetModel();
}

void TextTableModel::afterReset() {
  endResetModel();
  if (afterReset_) afterReset_();
}

void TextTableModel::cellChanged(int row, int column) {
  const QModelIndex changed = index(row, column);
  emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void TextTableModel::resetLater() {
  QMetaObject::invokeMethod(
      this, [this] { rows_.resetIfPending(); }, Qt::QueuedConnection);
}

}  // namespace brimwell::gui
