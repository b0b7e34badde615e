// The spin fields of the running window: reading, the typed-character filter, stepping
// by keys and buttons, auto-repeat and clamping when the focus leaves.
#include <QClipboard>
#include <QMouseEvent>

#include "form_fixture.h"
#include "modal_watch.h"

namespace brimwell::testing {
namespace {

using SpinFields = FormTest;
using gui::SpinButtons;

void sendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, held,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &event);
}

TEST_F(SpinFields, ReadTheTextByTheIntegerCellRulesAndTheMinimumWhenItDoesNotParse) {
  gui::SpinFieldEdit& field = *form->SpinEdit1;
  const std::pair<QString, int> cases[] = {
      {" 5", 5},  {"$10", 16},          {"0x1F", 31},       {"", 1}, {"abc", 1}, {"5 ", 1},
      {"-7", -7}, {"2000000", 2000000}, {"99999999999", 1}, {"+", 1}};
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text.toStdString());
    field.setText(text);
    EXPECT_EQ(form->value(SpinField::SpinEdit1), expected);
  }
  form->subf4->setText("");
  EXPECT_EQ(form->value(SpinField::subf4), 0);
}

TEST_F(SpinFields, DropTypedLettersAndEnterButKeepDigitsSignsAndTheDecimalSeparator) {
  gui::SpinFieldEdit& field = *form->SpinEdit1;
  typeInto(field, "1a2 b");
  EXPECT_EQ(field.text(), "12");
  QTest::keyClick(&field, Qt::Key_Return);
  QTest::keyClick(&field, Qt::Key_Enter);
  EXPECT_EQ(field.text(), "12");
  typeInto(field, "-3+4");
  EXPECT_EQ(field.text(), "-3+4");

  const QString separator = QString::fromStdString(form->decimalSeparator());
  typeInto(field, "7" + separator + "5");
  EXPECT_EQ(field.text(), "7" + separator + "5");
  field.setDecimalSeparator(",");
  typeInto(field, "7,5.");
  EXPECT_EQ(field.text(), "7,5");

  // Keys that type nothing, and control characters such as Backspace, are not filtered.
  QTest::keyClick(&field, Qt::Key_Backspace);
  QTest::keyClick(&field, Qt::Key_Home);
  QTest::keyClick(&field, Qt::Key_Delete);
  EXPECT_EQ(field.text(), ",");
}

TEST_F(SpinFields, PastedTextIsNotFiltered) {
  gui::SpinFieldEdit& field = *form->subf2;
  QApplication::clipboard()->setText("x9y");
  field.setFocus();
  field.selectAll();
  QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(field.text(), "x9y");
  EXPECT_EQ(form->value(SpinField::subf2), 0);
}

TEST_F(SpinFields, ArrowKeysStepFromTheValueAsReadAndStayInRange) {
  gui::SpinFieldEdit& field = *form->delprocent;
  const struct {
    QString text;
    Qt::Key key;
    QString expected;
  } cases[] = {{"15", Qt::Key_Up, "16"},    {"15", Qt::Key_Down, "14"}, {"99", Qt::Key_Up, "99"},
               {"1", Qt::Key_Down, "1"},    {"abc", Qt::Key_Up, "2"},   {"", Qt::Key_Down, "1"},
               {"150", Qt::Key_Down, "99"}, {"-5", Qt::Key_Up, "1"},    {" 5", Qt::Key_Up, "6"},
               {"$10", Qt::Key_Down, "15"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    field.setText(c.text);
    QTest::keyClick(&field, c.key);
    EXPECT_EQ(field.text(), c.expected);
  }
  form->subf4->setText("0");
  QTest::keyClick(form->subf4, Qt::Key_Down);
  EXPECT_EQ(form->subf4->text(), "0");
  form->SpinEdit1->setText("1000000");
  QTest::keyClick(form->SpinEdit1, Qt::Key_Up);
  EXPECT_EQ(form->SpinEdit1->text(), "1000000");
}

TEST_F(SpinFields, ButtonsStepAndRepeatWhileThePointerStaysOnThePressedButton) {
  gui::SpinFieldEdit& field = *form->subf1;
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  QApplication::processEvents();
  SpinButtons& buttons = field.buttons();
  const QPoint up(buttons.width() / 2, 2);
  const QPoint down(buttons.width() / 2, buttons.height() - 3);
  const QPoint away(-40, buttons.height() / 2);

  const auto after = [&](int ms) {
    clock.advance(std::chrono::milliseconds(ms));
    buttons.repeatTick();
  };
  sendMouse(buttons, QEvent::MouseButtonPress, up, Qt::LeftButton);
  EXPECT_EQ(field.text(), "4");
  EXPECT_TRUE(buttons.repeating());
  after(SpinButtons::kFirstRepeatMs - 1);
  EXPECT_EQ(field.text(), "4") << "before the first delay";
  after(1);
  EXPECT_EQ(field.text(), "5");
  after(SpinButtons::kRepeatMs);
  EXPECT_EQ(field.text(), "6");
  sendMouse(buttons, QEvent::MouseMove, away, Qt::LeftButton);
  after(SpinButtons::kRepeatMs);
  EXPECT_EQ(field.text(), "6");
  sendMouse(buttons, QEvent::MouseMove, down, Qt::LeftButton);
  after(SpinButtons::kRepeatMs);
  EXPECT_EQ(field.text(), "6") << "the pointer is on the other button";
  sendMouse(buttons, QEvent::MouseMove, up, Qt::LeftButton);
  after(SpinButtons::kRepeatMs);
  EXPECT_EQ(field.text(), "7");
  sendMouse(buttons, QEvent::MouseButtonRelease, up, Qt::NoButton);
  EXPECT_FALSE(buttons.repeating());
  after(SpinButtons::kRepeatMs);
  EXPECT_EQ(field.text(), "7");

  field.setText("0");
  sendMouse(buttons, QEvent::MouseButtonPress, down, Qt::LeftButton);
  sendMouse(buttons, QEvent::MouseButtonRelease, down, Qt::NoButton);
  EXPECT_EQ(field.text(), "0");
  field.setText("99");
  sendMouse(buttons, QEvent::MouseButtonPress, up, Qt::LeftButton);
  sendMouse(buttons, QEvent::MouseButtonRelease, up, Qt::NoButton);
  EXPECT_EQ(field.text(), "99");
}

TEST_F(SpinFields, RepeatingStartsAfterTheFirstDelayOnItsOwn) {
  gui::SpinFieldEdit& field = *form->SpinEdit2;
  SpinButtons& buttons = field.buttons();
  sendMouse(buttons, QEvent::MouseButtonPress, QPoint(buttons.width() / 2, 2), Qt::LeftButton);
  EXPECT_EQ(field.text(), "801");
  // The window's own timer asks the held arrow once the clock has passed the delay.
  clock.advance(std::chrono::milliseconds(SpinButtons::kFirstRepeatMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return field.text() == "802"; }, 5000));
  sendMouse(buttons, QEvent::MouseButtonRelease, QPoint(buttons.width() / 2, 2), Qt::NoButton);
}

TEST_F(SpinFields, LeavingTheFieldClampsAValueThatParsesAndKeepsOneThatDoesNot) {
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  QApplication::processEvents();
  typeInto(*form->SpinEdit2, "0");
  form->SpinEdit1->setFocus();
  EXPECT_EQ(form->SpinEdit2->text(), "1");
  EXPECT_EQ(form->value(SpinField::SpinEdit2), 1);

  form->SpinEdit1->setFocus();
  form->SpinEdit1->setText("abc");  // as pasted: typing would drop the letters
  form->SpinEdit2->setFocus();
  EXPECT_EQ(form->SpinEdit1->text(), "abc");
  EXPECT_EQ(form->value(SpinField::SpinEdit1), 1);

  form->SpinEdit1->setFocus();
  form->SpinEdit1->selectAll();
  QTest::keyClick(form->SpinEdit1, Qt::Key_Delete);
  form->SpinEdit2->setFocus();
  EXPECT_EQ(form->SpinEdit1->text(), "");
  EXPECT_EQ(form->value(SpinField::SpinEdit1), 1);

  form->subf3->setFocus();
  form->subf3->setText(" 7");
  form->SpinEdit2->setFocus();
  EXPECT_EQ(form->subf3->text(), " 7") << "a value in range is left as typed";
}

TEST_F(SpinFields, PressingAButtonClampsTheEditedFieldBeforeTheHandlerReadsIt) {
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  for (int i = 0; i < 10; ++i) {
    const std::size_t row = form->workspace().files1.addRow("d:\\f" + std::to_string(i));
    form->workspace().files1.addSubCell(row, "1");
  }
  QApplication::processEvents();
  typeInto(*form->delprocent, "150");
  ModalWatch watch(ModalWatch::clickButton("Cancel"));
  QTest::mouseClick(form->del1, Qt::LeftButton);
  EXPECT_EQ(form->delprocent->text(), "99");
  EXPECT_EQ(form->value(SpinField::delprocent), 99);
  // 99 % of 10 keeps all ten entries; the unclamped 150 would have asked otherwise.
  EXPECT_EQ(watch.texts(),
            QStringList{"Removing 0 out of 10 random items from the list. The rest files are "
                        "expected to be deleted in step D. Proceed now?"});
  EXPECT_EQ(form->workspace().files1.rowCount(), 10u);
}

// A key as a keyboard layout delivers it: the key, its modifiers and the text it types.
void typeKey(QWidget& field, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QCoreApplication::sendEvent(&field, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QCoreApplication::sendEvent(&field, &release);
}

TEST_F(SpinFields, TheTypedTextIsFilteredWhateverTheModifiers) {
  gui::SpinFieldEdit& field = *form->SpinEdit1;
  typeInto(field, "12");
  const int dropped = field.droppedKeys();
  // AltGr arrives as Ctrl+Alt: "@" and "{" are typed characters like any other.
  typeKey(field, Qt::Key_At, Qt::ControlModifier | Qt::AltModifier, "@");
  typeKey(field, Qt::Key_BraceLeft, Qt::ControlModifier | Qt::AltModifier, "{");
  EXPECT_EQ(field.text(), "12");
  // Ctrl+M types a carriage return: Enter, dropped as Enter is.
  typeKey(field, Qt::Key_M, Qt::ControlModifier, "\r");
  EXPECT_EQ(field.droppedKeys(), dropped + 3);
  // AltGr can type an allowed character too, and Ctrl shortcuts type nothing.
  typeKey(field, Qt::Key_Minus, Qt::ControlModifier | Qt::AltModifier, "-");
  EXPECT_EQ(field.text(), "12-");
  field.selectAll();
  typeKey(field, Qt::Key_C, Qt::ControlModifier, "\x03");
  typeKey(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Z");
  EXPECT_EQ(field.droppedKeys(), dropped + 3);
}

}  // namespace
}  // namespace brimwell::testing
