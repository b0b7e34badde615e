#include "app/text_table.h"

#include <gtest/gtest.h>

#include "app/failure.h"

namespace brimwell {
namespace {

class CountingListener : public TableListener {
 public:
  int started = 0, ended = 0, rows = 0, cells = 0;
  void tableBatchStarted() override { ++started; }
  void tableBatchEnded() override { ++ended; }
  void tableRowsChanged() override { ++rows; }
  void tableCellChanged(std::size_t, std::size_t) override { ++cells; }
};

TEST(TextTable, CellsGrowShrinkAndStayApart) {
  TextTable table(3);
  const auto first = table.addRow("d:\\a\\1.DAT");
  table.addRow("d:\\a\\2.DAT");
  EXPECT_EQ(table.subCellCount(first), 0u);
  table.addSubCell(first, "9");
  table.setSubCell(first, 0, "10");  // grows: moves to the end of the buffer
  table.setSubCell(first, 0, "7");   // shrinks in place
  table.addSubCell(first, "x");
  table.setCaption(1, table.caption(0));  // a cell's own text as the new text
  EXPECT_EQ(table.subCell(first, 0), "7");
  EXPECT_EQ(table.subCell(first, 1), "x");
  EXPECT_EQ(table.caption(1), "d:\\a\\1.DAT");
  EXPECT_EQ(table.cellText(1, 1), "");
}

TEST(TextTable, MissingSubCellsFailWithTheirIndex) {
  TextTable table(2);
  table.addRow("file");
  try {
    (void)table.subCell(0, 0);
    FAIL();
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.what(), "List index out of bounds (0)");
  }
  // Sub-cells are added in order; a gap or a column beyond the table fails too.
  EXPECT_THROW(table.setSubCell(0, 1, "x"), Failure);
  table.addSubCell(0, "1");
  EXPECT_THROW(table.addSubCell(0, "2"), Failure);
}

TEST(TextTable, RemoveAndReorderKeepEveryRowsCells) {
  TextTable table(2);
  for (int i = 0; i < 6; ++i) {
    table.addRow("row" + std::to_string(i));
    if (i % 2 == 0) table.addSubCell(static_cast<std::size_t>(i), std::to_string(i * 100));
  }
  table.removeRows({false, true, false, true, true, false});
  ASSERT_EQ(table.rowCount(), 3u);
  EXPECT_EQ(table.caption(1), "row2");
  EXPECT_EQ(table.subCell(1, 0), "200");
  EXPECT_FALSE(table.hasSubCell(2, 0));
  table.reorder({2, 0, 1});
  EXPECT_EQ(table.caption(0), "row5");
  EXPECT_EQ(table.caption(1), "row0");
  EXPECT_EQ(table.subCell(1, 0), "0");
  EXPECT_EQ(table.subCell(2, 0), "200");
}

TEST(TextTable, ManyRewritesDoNotLoseText) {
  // Growing counts leave old text behind; the table packs its buffer now and then.
  TextTable table(2);
  for (int i = 0; i < 1000; ++i) table.addRow(std::string(100, static_cast<char>('a' + i % 26)));
  for (std::size_t row = 0; row < 1000; ++row) table.addSubCell(row, "0");
  for (int round = 1; round <= 300; ++round) {
    for (std::size_t row = 0; row < 1000; ++row) {
      table.setSubCell(row, 0, std::string(static_cast<std::size_t>(round % 40 + 1), 'z'));
    }
  }
  for (std::size_t row = 0; row < 1000; ++row) {
    EXPECT_EQ(table.caption(row), std::string(100, static_cast<char>('a' + row % 26)));
    EXPECT_EQ(table.subCell(row, 0), std::string(300 % 40 + 1, 'z'));
  }
}

TEST(TextTable, BatchesSilenceChangesAndEndOnFailure) {
  TextTable table(2);
  CountingListener listener;
  table.setListener(&listener);
  table.addRow("a");
  table.setCaption(0, "b");
  EXPECT_EQ(listener.rows, 1);
  EXPECT_EQ(listener.cells, 1);
  try {
    TableBatch outer(table);
    TableBatch inner(table);
    table.addRow("c");
    table.clear();
    throw Failure("midway");
  } catch (const Failure&) {
  }
  EXPECT_EQ(listener.started, 1);
  EXPECT_EQ(listener.ended, 1);
  EXPECT_EQ(listener.rows, 1);
  EXPECT_FALSE(table.inBatch());
}

}  // namespace
}  // namespace brimwell
