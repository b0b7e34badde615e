#include "gui/table_model.h"

#include <limits>

#include "gui/system_text.h"

namespace brimwell::gui {
namespace {

int clampedRowCount(const TextTable& table) {
  const std::size_t rows = table.rowCount();
  constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<int>::max());
  return static_cast<int>(rows < kMax ? rows : kMax);
}

}  // namespace

TextTableModel::TextTableModel(TextTable& table, QStringList headers, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      headers_(std::move(headers)),
      shownRows_(clampedRowCount(table)) {
  table_.setListener(this);
}

TextTableModel::~TextTableModel() { table_.setListener(nullptr); }

int TextTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows_;
}

int TextTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant TextTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  if (!index.isValid() || index.row() < 0) return {};
  const auto row = static_cast<std::size_t>(index.row());
  const auto column = static_cast<std::size_t>(index.column());
  if (row >= table_.rowCount() || column >= table_.columnCount()) return QString();
  return fromSystemText(table_.cellText(row, column));
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= headers_.size()) return {};
  return headers_[section];
}

bool TextTableModel::captionEditable(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= table_.rowCount()) return false;
  return !table_.inBatch() || table_.rowCount() == static_cast<std::size_t>(shownRows_);
}

Qt::ItemFlags TextTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (index.column() == 0 && captionEditable(index.row())) result |= Qt::ItemIsEditable;
  return result;
}

bool TextTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.column() != 0) return false;
  if (!captionEditable(index.row())) return false;
  table_.setCaption(static_cast<std::size_t>(index.row()), toSystemText(value.toString()));
  return true;
}

void TextTableModel::resetToTable() {
  if (beforeReset_) beforeReset_();
  beginResetModel();
  resetPending_ = false;
  shownRows_ = clampedRowCount(table_);
  endResetModel();
  if (afterReset_) afterReset_();
}

void TextTableModel::tableBatchEnded() { resetToTable(); }

void TextTableModel::tableRowsChanged() {
  if (resetPending_) return;
  resetPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (resetPending_ && !table_.inBatch()) resetToTable();
      },
      Qt::QueuedConnection);
}

void TextTableModel::tableCellChanged(std::size_t row, std::size_t column) {
  if (row >= static_cast<std::size_t>(shownRows_)) return;
  const QModelIndex changed = index(static_cast<int>(row), static_cast<int>(column));
  emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

}  // namespace brimwell::gui
