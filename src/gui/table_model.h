// Shows a TextTable in a Qt item view: the form's ListRows (form/list_rows.h) as a
// QAbstractTableModel, one model row per table row, no object per row. Only the caption
// column is editable, and an edit is written back into the table.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>

#include "form/list_rows.h"

namespace brimwell::gui {

class TextTableModel : public QAbstractTableModel, private form::ListDisplay {
 public:
  // `headers` names the table's columns, the caption's first.
  TextTableModel(TextTable& table, QStringList headers, QObject* parent = nullptr);

  TextTable& table() { return rows_.table(); }
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

 private:
  void beforeReset() override;
  void afterReset() override;
  void cellChanged(int row, int column) override;
  void resetLater() override;

  form::ListRows rows_;
  QStringList headers_;
  std::function<void()> beforeReset_;
  std::function<void()> afterReset_;
};

}  // namespace brimwell::gui
