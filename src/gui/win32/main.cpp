// Brimwell for Windows: creates the main window and runs the message loop until it closes.
#include <windows.h>

#include "app/failure.h"
#include "gui/win32/form1.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  brimwell::win32::TForm1 form(instance, brimwell::applicationTitle(std::string(path, length)));
  form.endProgramWhenClosed();
  ShowWindow(form.handle(), showCommand);
  UpdateWindow(form.handle());
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(form.handle(), &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return static_cast<int>(message.wParam);
}
