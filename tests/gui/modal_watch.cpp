#include "modal_watch.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>

namespace brimwell::testing {

ModalWatch::Answer ModalWatch::pressKey(Qt::Key key) {
  return [key](QMessageBox& box) { QTest::keyClick(&box, key); };
}

ModalWatch::Answer ModalWatch::clickButton(const QString& text) {
  return [text](QMessageBox& box) {
    for (QAbstractButton* button : box.buttons()) {
      if (button->text() == text) button->click();
    }
  };
}

ModalWatch::Answer ModalWatch::closeBox() {
  return [](QMessageBox& box) { box.close(); };
}

ModalWatch::ModalWatch(Answer answer) : answer_(std::move(answer)) {
  QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
  timer_.start(5);
}

void ModalWatch::look() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr || box == last_) return;
  last_ = box;
  SeenBox seenBox;
  seenBox.title = box->windowTitle();
  seenBox.text = box->text();
  seenBox.icon = box->icon();
  for (QAbstractButton* button : box->buttons()) seenBox.buttons << button->text();
  if (box->defaultButton() != nullptr) seenBox.defaultButton = box->defaultButton()->text();
  seen.push_back(seenBox);
  answer_(*box);
}

QStringList ModalWatch::texts() const {
  QStringList result;
  for (const SeenBox& box : seen) result << box.text;
  return result;
}

}  // namespace brimwell::testing
