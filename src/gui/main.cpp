// Brimwell: start-up. Checks for a display, creates the main window and runs the event
// loop until the window closes.
#include <QApplication>
#include <cstdio>

#include "gui/display_check.h"
#include "gui/form1.h"
#include "gui/message_boxes.h"

int main(int argc, char** argv) {
  if (const auto message =
          brimwell::gui::missingDisplayMessage(argc, argv, brimwell::gui::processEnvironment)) {
    std::fputs(message->c_str(), stderr);
    return 2;
  }
  QApplication application(argc, argv);
  application.setFont(brimwell::gui::windowFont());
  brimwell::gui::TForm1 form(brimwell::gui::executableTitle());
  form.show();
  return application.exec();
}
