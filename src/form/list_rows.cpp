#include "form/list_rows.h"

#include <limits>

namespace brimwell::form {
namespace {

int clampedRowCount(const TextTable& table) {
  const std::size_t rows = table.rowCount();
  constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<int>::max());
  return static_cast<int>(rows < kMax ? rows : kMax);
}

}  // namespace

ListRows::ListRows(TextTable& table, ListDisplay& display)
    : table_(table), display_(display), shownRows_(clampedRowCount(table)) {
  table_.setListener(this);
}

ListRows::~ListRows() { table_.setListener(nullptr); }

std::string_view ListRows::cellText(int row, int column) const {
  if (row < 0 || column < 0) return {};
  const auto r = static_cast<std::size_t>(row);
  const auto c = static_cast<std::size_t>(column);
  if (r >= table_.rowCount() || c >= table_.columnCount()) return {};
  return table_.cellText(r, c);
}

bool ListRows::captionEditable(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= table_.rowCount()) return false;
  return !table_.inBatch() || table_.rowCount() == static_cast<std::size_t>(shownRows_);
}

bool ListRows::setCaption(int row, std::string_view text) {
  if (!captionEditable(row)) return false;
  table_.setCaption(static_cast<std::size_t>(row), text);
  return true;
}

void ListRows::reset() {
  display_.beforeReset();
  resetPending_ = false;
  shownRows_ = clampedRowCount(table_);
  display_.afterReset();
}

void ListRows::resetIfPending() {
  if (resetPending_ && !table_.inBatch()) reset();
}

void ListRows::tableBatchEnded() { reset(); }

void ListRows::tableRowsChanged() {
  if (resetPending_) return;
  resetPending_ = true;
  display_.resetLater();
}

void ListRows::tableCellChanged(std::size_t row, std::size_t column) {
  if (row >= static_cast<std::size_t>(shownRows_)) return;
  display_.cellChanged(static_cast<int>(row), static_cast<int>(column));
}

}  // namespace brimwell::form
