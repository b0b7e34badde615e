#include "gui/spin_field_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOption>

#include "app/cell_number.h"
#include "app/fields.h"
#include "form/spin_rules.h"

namespace brimwell::gui {
namespace {

constexpr int kButtonsWidth = 16;

bool isEnter(const QKeyEvent& event) {
  return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

}  // namespace

SpinButtons::SpinButtons(SpinFieldEdit& field, const form::FormClock& clock)
    : QWidget(&field), field_(field), held_(clock) {
  setCursor(Qt::ArrowCursor);
  repeat_.setSingleShot(true);
  connect(&repeat_, &QTimer::timeout, this, [this] { repeatTick(); });
}

SpinButtons::Part SpinButtons::pressedPart() const {
  if (!held_.held()) return Part::None;
  return held_.direction() > 0 ? Part::Up : Part::Down;
}

SpinButtons::Part SpinButtons::partAt(QPoint position) const {
  if (!rect().contains(position)) return Part::None;
  return position.y() < height() / 2 ? Part::Up : Part::Down;
}

void SpinButtons::step(int delta) {
  if (delta != 0) field_.stepBy(delta);
}

void SpinButtons::scheduleRepeat() {
  if (const auto wait = held_.untilNext()) repeat_.start(static_cast<int>(wait->count()));
}

void SpinButtons::repeatTick() {
  step(held_.due());
  scheduleRepeat();
}

void SpinButtons::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Part part = partAt(event->position().toPoint());
  if (part == Part::None) return;
  step(held_.press(part == Part::Up ? 1 : -1));
  scheduleRepeat();
  update();
}

void SpinButtons::mouseMoveEvent(QMouseEvent* event) {
  if (!held_.held()) return;
  const bool on = partAt(event->position().toPoint()) == pressedPart();
  if (on != held_.pointerOn()) {
    held_.pointerOn(on);
    update();
  }
}

void SpinButtons::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  repeat_.stop();
  held_.release();
  update();
}

void SpinButtons::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int half = height() / 2;
  const QRect halves[] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
  const Part parts[] = {Part::Up, Part::Down};
  for (int i = 0; i < 2; ++i) {
    QStyleOptionButton panel;
    panel.initFrom(this);
    panel.rect = halves[i];
    const bool sunken = pressedPart() == parts[i] && held_.pointerOn();
    panel.state |= sunken ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &panel, &painter, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = halves[i].adjusted(3, 1, -3, -1);
    style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                           &arrow, &painter, this);
  }
}

SpinFieldEdit::SpinFieldEdit(std::int32_t minimum, std::int32_t maximum, std::int32_t value,
                             const form::FormClock& clock, QWidget* parent)
    : QLineEdit(parent),
      minimum_(minimum),
      maximum_(maximum),
      buttons_(new SpinButtons(*this, clock)) {
  setText(QString::fromStdString(formatInteger(value)));
  setTextMargins(0, 0, kButtonsWidth, 0);
}

std::int32_t SpinFieldEdit::value() const { return spinFieldValue(text().toStdString(), minimum_); }

void SpinFieldEdit::stepBy(int delta) {
  setText(
      QString::fromStdString(form::steppedText(text().toStdString(), minimum_, maximum_, delta)));
}

void SpinFieldEdit::clampText() {
  if (const auto clamped = form::clampedText(text().toStdString(), minimum_, maximum_)) {
    setText(QString::fromStdString(*clamped));
  }
}

bool SpinFieldEdit::acceptsTyped(const QKeyEvent& event) const {
  const QString typed = event.text();
  // Enter, also as the carriage return that Ctrl+M types.
  if (isEnter(event) || typed.contains(u'\r')) return false;
  // A shortcut (copy, paste, undo ...): Ctrl, or Ctrl+Shift, types no character into the
  // field. Ctrl+Alt does: it is how AltGr reaches Windows programs ("@", "{" ...).
  const Qt::KeyboardModifiers chord = event.modifiers() & (Qt::ControlModifier | Qt::AltModifier |
                                                           Qt::ShiftModifier | Qt::MetaModifier);
  if (chord == Qt::ControlModifier || chord == (Qt::ControlModifier | Qt::ShiftModifier)) {
    return true;
  }
  return form::acceptsTyped(typed.toStdString(), decimalSeparator_.toStdString());
}

void SpinFieldEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    stepBy(event->key() == Qt::Key_Up ? 1 : -1);
    event->accept();
    return;
  }
  if ((!event->text().isEmpty() || isEnter(*event)) && !acceptsTyped(*event)) {
    ++droppedKeys_;
    QApplication::beep();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void SpinFieldEdit::focusOutEvent(QFocusEvent* event) {
  clampText();
  QLineEdit::focusOutEvent(event);
}

void SpinFieldEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  buttons_->setGeometry(width() - kButtonsWidth - 1, 1, kButtonsWidth, height() - 2);
}

}  // namespace brimwell::gui
