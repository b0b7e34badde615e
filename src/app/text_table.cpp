#include "app/text_table.h"

#include <stdexcept>

#include "app/failure.h"

namespace brimwell {

TextTable::TextTable(std::size_t columns) : columns_(columns) {
  if (columns < 1 || columns > 255) throw std::invalid_argument("TextTable: bad column count");
}

std::string_view TextTable::subCell(std::size_t row, std::size_t index) const {
  if (index >= subCellCounts_[row]) throwListIndexOutOfBounds(static_cast<long long>(index));
  return text(cells_[row * columns_ + 1 + index]);
}

std::string_view TextTable::cellText(std::size_t row, std::size_t column) const {
  if (column == 0) return caption(row);
  if (column - 1 >= subCellCounts_[row]) return {};
  return text(cells_[row * columns_ + column]);
}

void TextTable::store(Cell& cell, std::string_view value) {
  if (value.size() > UINT32_MAX) throw std::length_error("cell text too long");
  if (!value.empty() && value.data() >= arena_.data() &&
      value.data() < arena_.data() + arena_.size()) {
    // The text is one of this table's own cells: copy it before the buffer may move.
    const std::string copy(value);
    store(cell, copy);
    return;
  }
  liveBytes_ -= cell.length;
  liveBytes_ += value.size();
  if (value.size() <= cell.length) {
    // Shrinking or same length: overwrite in place.
    value.copy(arena_.data() + cell.offset, value.size());
  } else {
    cell.offset = arena_.size();
    arena_.append(value);
  }
  cell.length = static_cast<std::uint32_t>(value.size());
}

void TextTable::compactIfWasteful() {
  const std::size_t waste = arena_.size() - liveBytes_;
  if (waste < (1u << 20) || waste < liveBytes_) return;
  std::string packed;
  packed.reserve(liveBytes_);
  for (std::size_t row = 0; row < subCellCounts_.size(); ++row) {
    const std::size_t used = 1 + subCellCounts_[row];
    for (std::size_t c = 0; c < used; ++c) {
      Cell& cell = cells_[row * columns_ + c];
      const std::uint64_t offset = packed.size();
      packed.append(text(cell));
      cell.offset = offset;
    }
  }
  arena_.swap(packed);
}

std::size_t TextTable::addRow(std::string_view caption) {
  const std::size_t row = subCellCounts_.size();
  cells_.resize(cells_.size() + columns_);
  subCellCounts_.push_back(0);
  store(cells_[row * columns_], caption);
  rowsChanged();
  return row;
}

void TextTable::setCaption(std::size_t row, std::string_view value) {
  store(cells_[row * columns_], value);
  compactIfWasteful();
  cellChanged(row, 0);
}

void TextTable::setSubCell(std::size_t row, std::size_t index, std::string_view value) {
  const std::size_t count = subCellCounts_[row];
  if (index > count || index + 1 >= columns_) {
    throwListIndexOutOfBounds(static_cast<long long>(index));
  }
  Cell& cell = cells_[row * columns_ + 1 + index];
  if (index == count) {
    cell = Cell{};
    ++subCellCounts_[row];
  }
  store(cell, value);
  compactIfWasteful();
  cellChanged(row, 1 + index);
}

void TextTable::clear() {
  arena_.clear();
  liveBytes_ = 0;
  cells_.clear();
  subCellCounts_.clear();
  rowsChanged();
}

void TextTable::removeRows(const std::vector<bool>& remove) {
  std::size_t kept = 0;
  for (std::size_t row = 0; row < subCellCounts_.size(); ++row) {
    if (remove[row]) {
      for (std::size_t c = 0; c <= subCellCounts_[row]; ++c) {
        liveBytes_ -= cells_[row * columns_ + c].length;
      }
      continue;
    }
    if (kept != row) {
      for (std::size_t c = 0; c < columns_; ++c) {
        cells_[kept * columns_ + c] = cells_[row * columns_ + c];
      }
      subCellCounts_[kept] = subCellCounts_[row];
    }
    ++kept;
  }
  cells_.resize(kept * columns_);
  subCellCounts_.resize(kept);
  compactIfWasteful();
  rowsChanged();
}

void TextTable::reorder(const std::vector<std::uint32_t>& order) {
  if (order.size() != subCellCounts_.size()) throw std::invalid_argument("reorder: bad size");
  std::vector<Cell> cells(cells_.size());
  std::vector<std::uint8_t> counts(subCellCounts_.size());
  for (std::size_t row = 0; row < order.size(); ++row) {
    const std::size_t from = order[row];
    for (std::size_t c = 0; c < columns_; ++c) {
      cells[row * columns_ + c] = cells_[from * columns_ + c];
    }
    counts[row] = subCellCounts_[from];
  }
  cells_.swap(cells);
  subCellCounts_.swap(counts);
  rowsChanged();
}

void TextTable::reserve(std::size_t rows, std::size_t textBytes) {
  cells_.reserve(rows * columns_);
  subCellCounts_.reserve(rows);
  arena_.reserve(textBytes);
}

void TextTable::takeRows(TextTable&& other) {
  if (other.columns_ != columns_) throw std::invalid_argument("takeRows: bad column count");
  arena_ = std::move(other.arena_);
  liveBytes_ = other.liveBytes_;
  cells_ = std::move(other.cells_);
  subCellCounts_ = std::move(other.subCellCounts_);
  other.clear();
  rowsChanged();
}

void TextTable::beginBatch() {
  if (batchDepth_++ == 0 && listener_ != nullptr) listener_->tableBatchStarted();
}

void TextTable::endBatch() {
  if (--batchDepth_ == 0 && listener_ != nullptr) listener_->tableBatchEnded();
}

void TextTable::rowsChanged() {
  ++changes_.value;
  if (batchDepth_ == 0 && listener_ != nullptr) listener_->tableRowsChanged();
}

void TextTable::cellChanged(std::size_t row, std::size_t column) {
  ++changes_.value;
  if (batchDepth_ == 0 && listener_ != nullptr) listener_->tableCellChanged(row, column);
}

}  // namespace brimwell
