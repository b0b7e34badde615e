// The window's rules that need no window: spin fields, the lists as a view reads them, the
// in-place edit kept across a reset, and the components' table.
#include <gtest/gtest.h>

#include <set>

#include "form/components.h"
#include "form/edit_keeper.h"
#include "form/held_arrow.h"
#include "form/list_rows.h"
#include "form/spin_rules.h"
#include "support/stepped_clock.h"

namespace brimwell::testing {
namespace {

using form::acceptsTyped;
using form::clampedText;
using form::steppedText;

TEST(SpinRules, StepsFromTheValueAsReadAndClampsOnLeavingOnlyWhatParses) {
  EXPECT_EQ(steppedText("15", 1, 99, 1), "16");
  EXPECT_EQ(steppedText("99", 1, 99, 1), "99");
  EXPECT_EQ(steppedText("abc", 1, 99, 1), "2") << "from the minimum";
  EXPECT_EQ(steppedText(" 5", 0, 99, -1), "4");
  EXPECT_EQ(steppedText("$10", 0, 99, 1), "17");
  EXPECT_EQ(steppedText("2147483647", 5, 5, 1), "2147483647") << "equal bounds: no clamp, no wrap";
  EXPECT_EQ(clampedText("150", 1, 99), "99");
  EXPECT_EQ(clampedText("0", 1, 30000), "1");
  EXPECT_EQ(clampedText("50", 1, 99), std::nullopt);
  EXPECT_EQ(clampedText("", 1, 99), std::nullopt) << "a text that does not parse stays";
  EXPECT_EQ(clampedText("7", 5, 5), std::nullopt);
}

TEST(SpinRules, TakesDigitsSignsTheSeparatorAndControlsButNotEnter) {
  for (const char* typed : {"0", "9", "+", "-", ",", "\b", "\x7f", "\x1b"}) {
    EXPECT_TRUE(acceptsTyped(typed, ",")) << typed;
  }
  for (const char* typed : {"\r", "a", ".", " ", "\xc3\xa9", "$"}) {
    EXPECT_FALSE(acceptsTyped(typed, ",")) << typed;
  }
  EXPECT_TRUE(acceptsTyped("\xc2\xa0", "\xc2\xa0")) << "a separator of two bytes";
}

struct RecordingDisplay : form::ListDisplay {
  std::vector<std::string> calls;
  void beforeReset() override { calls.emplace_back("before"); }
  void afterReset() override { calls.emplace_back("after"); }
  void cellChanged(int row, int column) override {
    calls.push_back("cell " + std::to_string(row) + "," + std::to_string(column));
  }
  void resetLater() override { calls.emplace_back("later"); }
};

TEST(HeldArrow, StepsOnThePressAfterTheFirstDelayThenAtEachRepeatWhileThePointerIsOnIt) {
  using std::chrono::milliseconds;
  SteppedClock clock;
  form::HeldArrow arrow(clock);
  EXPECT_EQ(arrow.untilNext(), std::nullopt);
  EXPECT_EQ(arrow.press(-1), -1);
  EXPECT_EQ(arrow.untilNext(), milliseconds(form::kFirstRepeatMs));
  clock.advance(milliseconds(form::kFirstRepeatMs - 1));
  EXPECT_EQ(arrow.due(), 0);
  clock.advance(milliseconds(1));
  EXPECT_EQ(arrow.due(), -1);
  EXPECT_EQ(arrow.untilNext(), milliseconds(form::kRepeatMs));
  arrow.pointerOn(false);
  clock.advance(milliseconds(form::kRepeatMs));
  EXPECT_EQ(arrow.due(), 0) << "the pointer is off the arrow";
  arrow.pointerOn(true);
  clock.advance(milliseconds(10 * form::kRepeatMs));
  EXPECT_EQ(arrow.untilNext(), milliseconds(0));
  EXPECT_EQ(arrow.due(), -1) << "a late repeat is made once";
  EXPECT_EQ(arrow.due(), 0);
  arrow.release();
  clock.advance(milliseconds(form::kRepeatMs));
  EXPECT_EQ(arrow.due(), 0);
  EXPECT_FALSE(arrow.pointerOn());
}

TEST(ListRows, ABatchKeepsTheShownRowsAndResetsOnceAtItsEnd) {
  TextTable table(2);
  RecordingDisplay display;
  form::ListRows rows(table, display);
  {
    TableBatch batch(table);
    table.addSubCell(table.addRow("d:\\a.DAT"), "10");
    table.addRow("d:\\b.DAT");
    EXPECT_EQ(rows.shownRows(), 0);
    EXPECT_FALSE(rows.captionEditable(0)) << "the view's rows no longer name the table's";
  }
  EXPECT_EQ(display.calls, (std::vector<std::string>{"before", "after"}));
  EXPECT_EQ(rows.shownRows(), 2);
  EXPECT_EQ(rows.cellText(0, 1), "10");
  EXPECT_EQ(rows.cellText(1, 1), "") << "a missing sub-cell reads empty";
  EXPECT_EQ(rows.cellText(5, 0), "");
  EXPECT_TRUE(rows.setCaption(1, "d:\\c.DAT"));
  EXPECT_EQ(table.caption(1), "d:\\c.DAT");
  EXPECT_EQ(display.calls.back(), "cell 1,0");

  display.calls.clear();
  table.addRow("x");
  table.addRow("y");
  EXPECT_EQ(display.calls, std::vector<std::string>{"later"}) << "row changes gathered";
  rows.resetIfPending();
  rows.resetIfPending();
  EXPECT_EQ(display.calls, (std::vector<std::string>{"later", "before", "after"}));
  EXPECT_EQ(rows.shownRows(), 4);
}

TEST(EditKeeper, KeepsTheRowOnlyWhileItHoldsTheCaptionTheUserChose) {
  TextTable table(2);
  for (const char* path : {"a", "b", "c"}) table.addRow(path);
  form::EditKeeper keeper(table);
  EXPECT_EQ(keeper.rowToKeep(), -1);
  keeper.remember(1);
  table.setSubCell(1, 0, "7");
  EXPECT_EQ(keeper.rowToKeep(), 1);
  table.removeRows({true, false, false});
  EXPECT_EQ(keeper.rowToKeep(), -1) << "row 1 is now another file";
  keeper.remember(9);
  EXPECT_EQ(keeper.rowToKeep(), -1);
}

TEST(Components, EveryNamedComponentOnceWithinItsPage) {
  std::set<std::string> names;
  for (const form::Component& component : form::components()) {
    EXPECT_TRUE(names.insert(component.name).second) << component.name;
    EXPECT_GE(component.place.x, 0) << component.name;
    EXPECT_LE(component.place.x + component.place.width, form::kPageControlPlace.width)
        << component.name;
    EXPECT_LE(component.place.y + component.place.height, form::kPageControlPlace.height)
        << component.name;
  }
  EXPECT_EQ(names.size(), 37u);
  EXPECT_STREQ(form::componentNamed("del2").caption, "d) Delete files to add fragmentation");
  EXPECT_EQ(form::componentNamed("build").place.width, 200);
  EXPECT_EQ(form::columns(form::List::sizes)[3].width, 260);
  EXPECT_EQ(form::kProgressPlace.y + form::kProgressPlace.height, form::kClientHeight);
}

}  // namespace
}  // namespace brimwell::testing
