#include "gui/message_boxes.h"

#include <QPushButton>

#include "form/components.h"

namespace brimwell::gui {
namespace {

std::unique_ptr<QMessageBox> makeBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                     const QString& text) {
  auto box = std::make_unique<QMessageBox>(icon, title, text, QMessageBox::NoButton, parent);
  box->setTextFormat(Qt::PlainText);
  return box;
}

QPushButton* addOkButton(QMessageBox& box) {
  QPushButton* ok = box.addButton(QMessageBox::Ok);
  ok->setText(QString::fromLatin1(form::kOkButton));
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  return ok;
}

}  // namespace

std::unique_ptr<QMessageBox> makeNoticeBox(QWidget* parent, const QString& title,
                                           const QString& text) {
  auto box = makeBox(parent, QMessageBox::NoIcon, title, text);
  addOkButton(*box);
  return box;
}

std::unique_ptr<QMessageBox> makeConfirmBox(QWidget* parent, const QString& text) {
  auto box =
      makeBox(parent, QMessageBox::Question, QString::fromLatin1(form::kConfirmCaption), text);
  addOkButton(*box);
  QPushButton* cancel = box->addButton(QMessageBox::Cancel);
  cancel->setText(QString::fromLatin1(form::kCancelButton));
  box->setEscapeButton(cancel);
  return box;
}

std::unique_ptr<QMessageBox> makeErrorBox(QWidget* parent, const QString& title,
                                          const QString& text) {
  auto box = makeBox(parent, QMessageBox::Critical, title, text);
  addOkButton(*box);
  return box;
}

void showNotice(QWidget* parent, const QString& title, const QString& text) {
  makeNoticeBox(parent, title, text)->exec();
}

bool askConfirm(QWidget* parent, const QString& text) {
  auto box = makeConfirmBox(parent, text);
  box->exec();
  return box->clickedButton() == box->defaultButton();
}

void showErrorBox(QWidget* parent, const QString& title, const QString& text) {
  makeErrorBox(parent, title, text)->exec();
}

}  // namespace brimwell::gui
