// Brimwell: start-up. Answers --help, checks for a display, creates the main window, opens
// the template file named on the command line, if any, and runs the event loop until the
// window closes.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <memory>

#include "gui/display_check.h"
#include "gui/form1.h"
#include "gui/message_boxes.h"
#include "gui/start_arguments.h"
#include "gui/window_identity.h"

int main(int argc, char** argv) {
  using namespace brimwell::gui;
  // The usage needs no display.
  QStringList given;
  for (int i = 1; i < argc; ++i) given << QString::fromLocal8Bit(argv[i]);
  if (readStartArguments(given).help) {
    std::printf("%s\n", startUsage().toLocal8Bit().constData());
    return 0;
  }
  if (const auto message = missingDisplayMessage(argc, argv, processEnvironment)) {
    std::fputs(message->c_str(), stderr);
    return 2;
  }
  QApplication application(argc, argv);
  // The Qt options are gone from the arguments by now.
  const StartArguments start = readStartArguments(QApplication::arguments().mid(1));
  if (!start.refusal.isEmpty()) {
    std::fprintf(stderr, "Brimwell: %s\n%s\n", start.refusal.toLocal8Bit().constData(),
                 startUsage().toLocal8Bit().constData());
    return 2;
  }
  setWindowIdentity();
  application.setFont(windowFont());
  std::unique_ptr<TForm1> window;
  try {
    window = std::make_unique<TForm1>(executableTitle());
  } catch (const std::exception& failure) {
    // The window's parts that come from the system (the locale's collation) are missing.
    std::fprintf(stderr, "Brimwell: the window cannot be opened: %s\n", failure.what());
    return 1;
  }
  TForm1& form = *window;
  form.show();
  if (start.templateFile) {
    // Once the window is up, so that a message about the file stands over it.
    QTimer::singleShot(0, &form, [&form, &start] { openTemplateFile(form, *start.templateFile); });
  }
  return application.exec();
}
