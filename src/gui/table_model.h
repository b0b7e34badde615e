// Shows a TextTable in a view: one model row per table row, no object per row.
//
// Outside a batch, cell changes are forwarded at once and row changes (added, removed,
// reordered rows) are gathered into one reset when the event loop next runs, so a run of
// single-row changes costs one relayout. Inside a batch the view keeps the row count it
// had ("suspend repainting") and is reset once when the batch ends. The table may change
// under the view at any time: every read checks the row against the live table.
//
// Only the first column (the caption) is editable; an edit is written back into the
// table. Inside a batch a caption stays editable only while the table holds as many rows
// as the view shows (an operation that updates cells, such as the census, takes the
// edit); once rows were added or removed, the view's rows no longer name the table's, so
// no edit is taken until the batch ends.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>

#include "app/text_table.h"

namespace brimwell::gui {

class TextTableModel : public QAbstractTableModel, public TableListener {
 public:
  // `headers` names the table's columns, the caption's first.
  TextTableModel(TextTable& table, QStringList headers, QObject* parent = nullptr);
  ~TextTableModel() override;

  TextTable& table() { return table_; }
  // Called just before and just after each reset (see ListEditKeeper).
  void setResetHooks(std::function<void()> before, std::function<void()> after) {
    beforeReset_ = std::move(before);
    afterReset_ = std::move(after);
  }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  void tableBatchStarted() override {}
  void tableBatchEnded() override;
  void tableRowsChanged() override;
  void tableCellChanged(std::size_t row, std::size_t column) override;

 private:
  void resetToTable();
  bool captionEditable(int row) const;

  TextTable& table_;
  QStringList headers_;
  int shownRows_ = 0;
  bool resetPending_ = false;
  std::function<void()> beforeReset_;
  std::function<void()> afterReset_;
};

}  // namespace brimwell::gui
