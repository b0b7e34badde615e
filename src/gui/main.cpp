// Brimwell: start-up. Answers --help, checks for a display, creates the main window, opens
// the template file named on the command line, if any, and runs the event loop until the
// window closes.
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "form/start_arguments.h"
#include "gui/display_check.h"
#include "gui/form1.h"
#include "gui/system_text.h"
#include "gui/window_identity.h"

int main(int argc, char** argv) {
  using namespace brimwell;
  using namespace brimwell::gui;
  const std::string usage = form::startUsage("Qt options");
  // The usage needs no display.
  if (form::readStartArguments(std::vector<std::string>(argv + std::min(argc, 1), argv + argc))
          .help) {
    std::printf("%s\n", usage.c_str());
    return 0;
  }
  if (const auto message = missingDisplayMessage(argc, argv, processEnvironment)) {
    std::fputs(message->c_str(), stderr);
    return 2;
  }
  QApplication application(argc, argv);
  // The Qt options are gone from the arguments by now.
  std::vector<std::string> given;
  for (const QString& argument : QApplication::arguments().mid(1)) {
    given.push_back(toSystemText(argument));
  }
  const form::StartArguments start = form::readStartArguments(given);
  if (!start.refusal.empty()) {
    std::fprintf(stderr, "Brimwell: %s\n%s\n", start.refusal.c_str(), usage.c_str());
    return 2;
  }
  setWindowIdentity();
  application.setFont(windowFont());
  std::unique_ptr<TForm1> window;
  try {
    window = std::make_unique<TForm1>(fromSystemText(form::programTitle()));
  } catch (const std::exception& failure) {
    // The window's parts that come from the system (the locale's collation) are missing.
    std::fprintf(stderr, "Brimwell: the window cannot be opened: %s\n", failure.what());
    return 1;
  }
  TForm1& form = *window;
  form.show();
  if (start.templateFile) {
    // Once the window is up, so that a message about the file stands over it.
    QTimer::singleShot(0, &form,
                       [&form, &start] { form.core().openTemplateFile(*start.templateFile); });
  }
  return application.exec();
}
