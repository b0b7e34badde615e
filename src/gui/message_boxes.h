// The program's modal boxes: the notice, the OK/Cancel question and the error box.
//
// make* builds a box ready to run, so its caption, icon and buttons can be checked;
// the other functions run one and report the answer.
#pragma once

#include <QMessageBox>
#include <QString>
#include <memory>

namespace brimwell::gui {

// The text, the application's title as caption, no icon, one "OK".
std::unique_ptr<QMessageBox> makeNoticeBox(QWidget* parent, const QString& title,
                                           const QString& text);
// Caption "Confirm", a question icon, "OK" (the default, chosen by Enter) and "Cancel"
// (chosen by Escape and by closing the box).
std::unique_ptr<QMessageBox> makeConfirmBox(QWidget* parent, const QString& text);
// The error box's text (the form applies the full-stop rule), the application's title as
// caption, a stop icon, one "OK".
std::unique_ptr<QMessageBox> makeErrorBox(QWidget* parent, const QString& title,
                                          const QString& text);

void showNotice(QWidget* parent, const QString& title, const QString& text);
// True only when the user chose OK.
bool askConfirm(QWidget* parent, const QString& text);
void showErrorBox(QWidget* parent, const QString& title, const QString& text);

}  // namespace brimwell::gui
