// An edit in place and the selected row outlast the end of an operation that suspended
// the list's repainting, as long as the row is still the one the user chose.
#include <QAbstractItemView>

#include "form_fixture.h"

namespace brimwell::testing {
namespace {

using ListEdits = FormTest;

// Selects `row` of `view` and opens the caption's editor with `text` typed in.
QLineEdit* editCaption(QTableView& view, int row, const QString& text) {
  const QModelIndex index = view.model()->index(row, 0);
  view.setCurrentIndex(index);
  view.edit(index);
  auto* editor = qobject_cast<QLineEdit*>(view.indexWidget(index));
  if (editor != nullptr) editor->setText(text);
  return editor;
}

TEST_F(ListEdits, AnEditOpenWhenTheCensusEndsIsKeptWithTheSelection) {
  TextTable& sizes = form->workspace().sizes;
  for (const char* threshold : {"100", "200", "300"}) {
    const std::size_t row = sizes.addRow(threshold);
    for (int cell = 0; cell < 3; ++cell) sizes.addSubCell(row, "0");
  }
  QApplication::processEvents();
  {
    TableBatch batch(sizes);  // as the classifying walk holds it
    ASSERT_NE(editCaption(*form->sizes, 1, "250"), nullptr);
    sizes.setSubCell(0, 0, "7");
  }
  EXPECT_EQ(sizes.caption(1), "250");
  EXPECT_EQ(form->sizes->currentIndex().row(), 1);
  EXPECT_TRUE(form->sizes->selectionModel()->isRowSelected(1, QModelIndex()));
}

TEST_F(ListEdits, AnEditOfARowThatWasReplacedIsDropped) {
  TextTable& files1 = form->workspace().files1;
  for (const char* path : {"d:\\a.DAT", "d:\\b.DAT", "d:\\c.DAT"}) {
    files1.addSubCell(files1.addRow(path), "1");
  }
  QApplication::processEvents();
  ASSERT_NE(editCaption(*form->files1, 1, "d:\\edited.DAT"), nullptr);
  {
    TableBatch batch(files1);  // as a sort-out holds it
    files1.removeRows({true, false, false});
  }
  EXPECT_EQ(files1.caption(0), "d:\\b.DAT");
  EXPECT_EQ(files1.caption(1), "d:\\c.DAT") << "not overwritten by the edit of another row";
  EXPECT_FALSE(form->files1->selectionModel()->hasSelection());
}

}  // namespace
}  // namespace brimwell::testing
