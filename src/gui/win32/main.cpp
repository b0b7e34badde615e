// Brimwell for Windows: reads the start arguments, creates the main window, opens the
// template file named on the command line, if any, and runs the message loop until the
// window closes.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "form/start_arguments.h"
#include "gui/win32/form1.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  using namespace brimwell;
  // The arguments in the system's code page, as the window speaks it.
  const std::vector<std::string> given(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
  const form::StartArguments start = form::readStartArguments(given);
  if (start.help || !start.refusal.empty()) {
    // A windowed program has no console to print to.
    const std::string usage = form::startUsage("");
    MessageBoxA(nullptr, (start.help ? usage : start.refusal + "\n\n" + usage).c_str(),
                form::kWindowCaption, start.help ? MB_OK : MB_OK | MB_ICONSTOP);
    return start.help ? 0 : 2;
  }
  win32::TForm1 window(instance, form::programTitle());
  window.endProgramWhenClosed();
  ShowWindow(window.handle(), showCommand);
  UpdateWindow(window.handle());
  if (start.templateFile) window.core().openTemplateFile(*start.templateFile);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(window.handle(), &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return static_cast<int>(message.wParam);
}
