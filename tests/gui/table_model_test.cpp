// The lists' model over the text tables: a million rows, batches ("suspend repainting"),
// changes outside a batch, and editing the caption in place.
#include <QSignalSpy>

#include "form_fixture.h"
#include "gui/table_model.h"

namespace brimwell::testing {
namespace {

constexpr std::size_t kMillion = 1'000'000;

QString cell(const QAbstractItemModel& model, int row, int column) {
  return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

void fillFileList(TextTable& table, std::size_t rows) {
  TableBatch batch(table);
  table.reserve(rows, rows * 16);
  for (std::size_t i = 0; i < rows; ++i) {
    const std::size_t row = table.addRow("d:\\a\\" + std::to_string(i) + ".DAT");
    table.addSubCell(row, std::to_string(i % 4096));
  }
}

TEST(TextTableModel, ShowsAMillionRowsOnceTheBatchEnds) {
  TextTable table(2);
  gui::TextTableModel model(table, {"Files", "Size"});
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  {
    TableBatch batch(table);
    fillFileList(table, kMillion);
    EXPECT_EQ(model.rowCount(), 0) << "the old row count is kept during the batch";
  }
  EXPECT_EQ(resets.count(), 1);
  ASSERT_EQ(model.rowCount(), static_cast<int>(kMillion));
  EXPECT_EQ(model.columnCount(), 2);
  EXPECT_EQ(cell(model, 999'999, 0), "d:\\a\\999999.DAT");
  EXPECT_EQ(cell(model, 999'999, 1), QString::number(999'999 % 4096));
  EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Size");
}

TEST(TextTableModel, ReadsDuringABatchStayWithinTheLiveTable) {
  TextTable table(2);
  gui::TextTableModel model(table, {"Files", "Size"});
  fillFileList(table, 100);
  ASSERT_EQ(model.rowCount(), 100);
  table.beginBatch();
  table.clear();
  table.addRow("only");
  EXPECT_EQ(model.rowCount(), 100);
  EXPECT_EQ(cell(model, 0, 0), "only");
  EXPECT_EQ(cell(model, 0, 1), "") << "a missing sub-cell shows empty";
  EXPECT_EQ(cell(model, 99, 0), "");
  EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
  EXPECT_FALSE(model.setData(model.index(0, 0), "changed", Qt::EditRole));
  table.endBatch();
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(table.caption(0), "only");
}

TEST(TextTableModel, GathersRowChangesOutsideABatchIntoOneReset) {
  TextTable table(4);
  gui::TextTableModel model(table, {"Size threshold", "Count", "%", "Description"});
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  for (int i = 0; i < 50; ++i) table.addRow(std::to_string(i * 1024));
  EXPECT_EQ(model.rowCount(), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(model.rowCount(), 50);
  EXPECT_EQ(resets.count(), 1);

  QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
  table.setSubCell(3, 0, "17");
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes[0][0].value<QModelIndex>(), model.index(3, 1));
  EXPECT_EQ(cell(model, 3, 1), "17");

  table.clear();
  EXPECT_EQ(cell(model, 3, 0), "");
  QCoreApplication::processEvents();
  EXPECT_EQ(model.rowCount(), 0);
}

TEST(TextTableModel, OnlyTheCaptionIsEditableAndAnEditWritesTheTable) {
  TextTable table(4);
  gui::TextTableModel model(table, {"Size threshold", "Count", "%", "Description"});
  const std::size_t row = table.addRow("1024");
  table.addSubCell(row, "5");
  QCoreApplication::processEvents();
  EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
  for (int column = 1; column < 4; ++column) {
    EXPECT_FALSE(model.flags(model.index(0, column)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.setData(model.index(0, column), "x", Qt::EditRole));
  }
  EXPECT_TRUE(model.setData(model.index(0, 0), QString::fromUtf8("2048 é"), Qt::EditRole));
  EXPECT_EQ(table.caption(0), "2048 \xc3\xa9");
  EXPECT_EQ(table.subCell(0, 0), "5");

  // A batch that only updates cells (the census) still takes an edit of a threshold.
  TableBatch batch(table);
  table.setSubCell(0, 0, "6");
  EXPECT_TRUE(model.setData(model.index(0, 0), "4096", Qt::EditRole));
  EXPECT_EQ(table.caption(0), "4096");
}

using FormLists = FormTest;

TEST_F(FormLists, TheFileListViewShowsAMillionEntries) {
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  fillFileList(form->workspace().files1, kMillion);
  QApplication::processEvents();
  ASSERT_EQ(form->files1->model()->rowCount(), static_cast<int>(kMillion));
  form->files1->scrollToBottom();
  QApplication::processEvents();
  const QModelIndex last = form->files1->indexAt(QPoint(5, form->files1->viewport()->height() - 3));
  EXPECT_EQ(last.row(), static_cast<int>(kMillion) - 1);
  EXPECT_FALSE(form->grab().isNull());
}

TEST_F(FormLists, ClickingTheSelectedRowsCaptionEditsItInPlace) {
  TextTable& sizes = form->workspace().sizes;
  for (const char* threshold : {"1024", "4096"}) {
    const std::size_t row = sizes.addRow(threshold);
    sizes.addSubCell(row, "1");
  }
  QApplication::processEvents();
  QTableView& view = *form->sizes;
  // An in-place editor is a line edit inside the view that takes the focus.
  const auto editor = [&view] {
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    return line != nullptr && view.isAncestorOf(line) ? line : nullptr;
  };
  for (int column = 1; column < view.model()->columnCount(); ++column) {
    EXPECT_FALSE(view.model()->flags(view.model()->index(1, column)) & Qt::ItemIsEditable)
        << "no other cell is editable: column " << column;
  }
  view.selectRow(1);
  const QRect countCell = view.visualRect(view.model()->index(1, 1));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, countCell.center());
  const QRect captionCell = view.visualRect(view.model()->index(1, 0));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, captionCell.center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return editor() != nullptr; }, 5000));
  QLineEdit* line = editor();
  EXPECT_TRUE(captionCell.contains(line->geometry().center())) << "the caption's editor";
  line->selectAll();
  QTest::keyClicks(line, "8192");
  QTest::keyClick(line, Qt::Key_Return);
  QApplication::processEvents();  // the view commits the edit from its event queue
  EXPECT_EQ(sizes.caption(1), "8192");
  EXPECT_EQ(sizes.caption(0), "1024");
  EXPECT_EQ(sizes.subCell(1, 0), "1");
}

}  // namespace
}  // namespace brimwell::testing
