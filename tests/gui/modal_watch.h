// Answers the message boxes that a test's window opens, while it runs: records each box's
// caption, text, icon and buttons, then answers it as told (a key, a button, closing it).
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

namespace brimwell::testing {

struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QString defaultButton;
};

class ModalWatch {
 public:
  using Answer = std::function<void(QMessageBox&)>;

  static Answer pressKey(Qt::Key key);
  static Answer clickButton(const QString& text);
  static Answer closeBox();

  explicit ModalWatch(Answer answer = pressKey(Qt::Key_Return));

  std::vector<SeenBox> seen;
  // The texts of the boxes seen, in order.
  QStringList texts() const;

 private:
  void look();

  Answer answer_;
  QTimer timer_;
  QPointer<QMessageBox> last_;
};

}  // namespace brimwell::testing
