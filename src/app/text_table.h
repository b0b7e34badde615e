// A table of text cells: the tool's lists, exactly as the user sees them.
//
// Each row has a caption and up to columnCount()-1 sub-cells; a row may hold fewer
// sub-cells than that (a file entry has none until it is sized). All text lives in one
// shared buffer and each cell is an offset and a length into it, so a list of a million
// rows costs its text and twelve bytes a cell, with no object per row.
//
// A batch (the lists' "suspend repainting") brackets many changes: a listener hears of
// changes one by one outside a batch, and once, when the outermost batch ends, inside one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brimwell {

class TableListener {
 public:
  virtual ~TableListener() = default;
  // The outermost batch began: the listener stops showing changes.
  virtual void tableBatchStarted() = 0;
  // The outermost batch ended: anything may have changed.
  virtual void tableBatchEnded() = 0;
  // Rows were added, removed or reordered outside a batch.
  virtual void tableRowsChanged() = 0;
  // One cell changed outside a batch (column 0 is the caption).
  virtual void tableCellChanged(std::size_t row, std::size_t column) = 0;
};

class TextTable {
 public:
  // `columns` counts the caption: 1 for a caption only, 4 for caption and three sub-cells.
  explicit TextTable(std::size_t columns);

  std::size_t columnCount() const { return columns_; }
  std::size_t rowCount() const { return subCellCounts_.size(); }
  bool empty() const { return subCellCounts_.empty(); }

  std::string_view caption(std::size_t row) const { return text(cells_[row * columns_]); }
  std::size_t subCellCount(std::size_t row) const { return subCellCounts_[row]; }
  bool hasSubCell(std::size_t row, std::size_t index) const { return index < subCellCounts_[row]; }
  // Sub-cell `index` (0-based) of `row`; a missing one fails with
  // "List index out of bounds (index)".
  std::string_view subCell(std::size_t row, std::size_t index) const;
  // Column 0 is the caption, column c >= 1 sub-cell c-1; empty text for a missing cell.
  std::string_view cellText(std::size_t row, std::size_t column) const;

  // Appends a row with a caption and no sub-cells; returns its index.
  std::size_t addRow(std::string_view caption);
  void setCaption(std::size_t row, std::string_view text);
  // Replaces sub-cell `index`, or appends it when index equals the sub-cell count.
  void setSubCell(std::size_t row, std::size_t index, std::string_view text);
  void addSubCell(std::size_t row, std::string_view text) {
    setSubCell(row, subCellCount(row), text);
  }
  void clear();
  // Keeps the rows whose flag is false, in their order; `remove` has one flag a row.
  void removeRows(const std::vector<bool>& remove);
  // Reorders the rows: the new row i is the old row order[i] (a permutation).
  void reorder(const std::vector<std::uint32_t>& order);
  void reserve(std::size_t rows, std::size_t textBytes);
  // Replaces every row by the rows of `other` (of the same column count), without copying
  // their text; `other` is left empty. The listener and batch stay this table's.
  void takeRows(TextTable&& other);

  // Grows with every change of the table's rows or cells, and when another table is
  // assigned to it: a reader that keeps what it parsed knows it still holds while the count
  // is the one it saw.
  std::uint64_t changeCount() const { return changes_.value; }

  void setListener(TableListener* listener) { listener_ = listener; }
  void beginBatch();
  void endBatch();
  bool inBatch() const { return batchDepth_ > 0; }

 private:
#pragma pack(push, 4)
  struct Cell {
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
  };
#pragma pack(pop)

  std::string_view text(const Cell& cell) const {
    return std::string_view(arena_.data() + cell.offset, cell.length);
  }
  void store(Cell& cell, std::string_view text);
  void compactIfWasteful();
  void rowsChanged();
  void cellChanged(std::size_t row, std::size_t column);

  // Never goes back, also across assignments, so an equal count means no change.
  struct ChangeCount {
    std::uint64_t value = 0;
    ChangeCount() = default;
    ChangeCount(const ChangeCount&) = default;
    ChangeCount(ChangeCount&& other) noexcept : value(other.value) { ++other.value; }
    ChangeCount& operator=(const ChangeCount& other) {
      value = std::max(value, other.value) + 1;
      return *this;
    }
    ChangeCount& operator=(ChangeCount&& other) noexcept {
      value = std::max(value, other.value) + 1;
      ++other.value;  // emptied
      return *this;
    }
  };

  std::size_t columns_;
  std::string arena_;
  std::size_t liveBytes_ = 0;
  std::vector<Cell> cells_;  // columns_ cells a row
  std::vector<std::uint8_t> subCellCounts_;
  TableListener* listener_ = nullptr;
  int batchDepth_ = 0;
  ChangeCount changes_;
};

// Holds a table's batch open for a scope, and ends it also when a failure unwinds, so a
// list is always shown again.
class TableBatch {
 public:
  explicit TableBatch(TextTable& table) : table_(table) { table_.beginBatch(); }
  ~TableBatch() { table_.endBatch(); }
  TableBatch(const TableBatch&) = delete;
  TableBatch& operator=(const TableBatch&) = delete;

 private:
  TextTable& table_;
};

}  // namespace brimwell
