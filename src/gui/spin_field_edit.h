// A spin field: an edit field for a whole number between a minimum and a maximum, with
// up and down buttons at its right end. The rules are the form's (form/spin_rules.h);
// here they meet Qt's keys, mouse and focus. Enter is also refused as the carriage return
// of Ctrl+M; Ctrl shortcuts type nothing into the field (but Ctrl+Alt does: it is how
// AltGr reaches Windows programs).
#pragma once

#include <QLineEdit>
#include <QTimer>
#include <cstdint>

#include "form/held_arrow.h"
#include "form/spin_rules.h"

namespace brimwell::gui {

class SpinFieldEdit;

// The pair of stepping buttons, stacked up over down.
class SpinButtons : public QWidget {
 public:
  enum class Part { None, Up, Down };
  static constexpr int kFirstRepeatMs = form::kFirstRepeatMs;
  static constexpr int kRepeatMs = form::kRepeatMs;

  SpinButtons(SpinFieldEdit& field, const form::FormClock& clock);

  Part pressedPart() const;
  bool repeating() const { return repeat_.isActive(); }
  // The repeat timer fired: a step when one is due by the form's clock (form/held_arrow.h).
  void repeatTick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Part partAt(QPoint position) const;
  void step(int delta);
  void scheduleRepeat();

  SpinFieldEdit& field_;
  form::HeldArrow held_;
  QTimer repeat_;
};

class SpinFieldEdit : public QLineEdit {
 public:
  // A held button repeats by `clock`.
  SpinFieldEdit(std::int32_t minimum, std::int32_t maximum, std::int32_t value,
                const form::FormClock& clock, QWidget* parent = nullptr);

  std::int32_t minimum() const { return minimum_; }
  std::int32_t maximum() const { return maximum_; }
  // The text read by the integer-cell rules; the minimum when it does not parse.
  std::int32_t value() const;
  // Steps from the value as read and writes the clamped result back.
  void stepBy(int delta);
  // Brings a text that parses into the range; leaves any other text as it is.
  void clampText();

  // The locale's decimal separator, accepted as a typed character.
  void setDecimalSeparator(const QString& separator) { decimalSeparator_ = separator; }
  SpinButtons& buttons() { return *buttons_; }
  // How many typed keys were dropped with a beep.
  int droppedKeys() const { return droppedKeys_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool acceptsTyped(const QKeyEvent& event) const;

  std::int32_t minimum_;
  std::int32_t maximum_;
  QString decimalSeparator_ = QStringLiteral(".");
  SpinButtons* buttons_;
  int droppedKeys_ = 0;
};

}  // namespace brimwell::gui
