// Brimwell.exe on a display: the program's window comes up and stays until closed, and the
// whole road, from a template to the fragmented drive d:, through the shown window.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "box_answerer.h"
#include "gui/win32/form1.h"
#include "gui/win32/spin_control.h"
#include "on_display.h"
#include "support/source_templates.h"

namespace brimwell::testing {
namespace {

namespace stdfs = std::filesystem;

// A path of the build machine as this program sees it: Wine shows the Linux root as Z:.
std::string hostPath(const std::string& path) {
  return !path.empty() && path.front() == '/' ? "Z:" + path : path;
}

using Program = OnDisplay;

// The main window of the program started as `processId` (the other tests show windows of
// the same class).
HWND windowOf(DWORD processId) {
  struct Search {
    DWORD processId;
    HWND found;
  } search{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM searching) {
        auto& wanted = *reinterpret_cast<Search*>(searching);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char windowClass[32] = {};
        GetClassNameA(window, windowClass, sizeof(windowClass));
        if (owner != wanted.processId || std::string(windowClass) != "BrimwellTForm1") return TRUE;
        wanted.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}
using WholeRoad = OnDisplay;

// The rows the list `which` of another process's window shows.
LRESULT listRows(HWND window, form::List which) {
  struct Search {
    int id;
    HWND found;
  } search{-1, nullptr};
  const auto components = form::components();
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (components[i].kind == form::Kind::List && components[i].index == static_cast<int>(which))
      search.id = win32::TForm1::kFirstComponentId + static_cast<int>(i);
  }
  EnumChildWindows(
      window,
      [](HWND control, LPARAM searching) {
        auto& wanted = *reinterpret_cast<Search*>(searching);
        if (GetDlgCtrlID(control) != wanted.id) return TRUE;
        wanted.found = control;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found == nullptr ? -1 : SendMessageA(search.found, LVM_GETITEMCOUNT, 0, 0);
}

TEST_F(Program, OpensItsWindowWithTheTemplateNamedOnItsCommandLineAndStaysUntilClosed) {
  std::string commandLine =
      "\"" + hostPath(BRIMWELL_EXE) + "\" \"" + hostPath(sourceTemplate("default")) + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process));
  // Waits for the window to show the template's rows: its message loop is running.
  HWND window = nullptr;
  for (int wait = 0; wait < 300 && (window == nullptr || listRows(window, form::List::sizes) <= 0);
       ++wait) {
    Sleep(100);
    window = windowOf(process.dwProcessId);
  }
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(win32::windowText(window), "Brimwell");
  EXPECT_GT(listRows(window, form::List::sizes), 0);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, STILL_ACTIVE);
  PostMessageA(window, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
  EXPECT_TRUE(ended);
  // A program left running would hold the test's output open.
  if (!ended) TerminateProcess(process.hProcess, 1);
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

std::size_t filesUnder(const std::string& folder) {
  std::size_t count = 0;
  for (const auto& entry : stdfs::recursive_directory_iterator(folder))
    count += entry.is_regular_file();
  return count;
}

TEST_F(WholeRoad, TemplateBuildReproduceSortOutAndEraseOnDriveD) {
  const std::string target = "d:\\brimwell-window-run\\";
  std::error_code ignored;
  stdfs::remove_all(target, ignored);
  win32::TForm1 form(GetModuleHandleA(nullptr), "Brimwell");
  ShowWindow(form.handle(), SW_SHOW);
  UpdateWindow(form.handle());
  const auto click = [&](const char* name) { SendMessageA(form.control(name), BM_CLICK, 0, 0); };
  const auto rows = [&](form::List which) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    return SendMessageA(form.list(which).handle(), LVM_GETITEMCOUNT, 0, 0);
  };
  form.setDialogRunner([](OPENFILENAMEA& dialog, form::DialogKind) {
    hostPath(sourceTemplate("default")).copy(dialog.lpstrFile, dialog.nMaxFile - 1);
    return true;
  });
  click("sizeload");
  EXPECT_GT(rows(form::List::sizes), 0);

  // The user picks the second page.
  const HWND tabs = form.control("PageControl1");
  SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
  NMHDR picked{tabs, 10, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(form.handle(), WM_NOTIFY, 10, reinterpret_cast<LPARAM>(&picked));
  EXPECT_TRUE(IsWindowVisible(form.control("build")));
  SetWindowTextA(form.control("SpinEdit1"), "200");
  SetWindowTextA(form.control("SpinEdit2"), "20");
  SetWindowTextA(form.control("reprodpath"), target.c_str());
  SetWindowTextA(form.control("delprocent"), "50");
  BoxAnswerer boxes(IDOK);
  click("build");
  EXPECT_EQ(rows(form::List::files1), 200);
  click("reproduce");
  EXPECT_EQ(win32::windowText(form.control("analysestatus")), "Done.");
  EXPECT_EQ(filesUnder(target), 200u);
  click("del1");
  EXPECT_EQ(rows(form::List::files1), 100);
  click("del2");
  EXPECT_EQ(rows(form::List::files1), 0);
  EXPECT_EQ(filesUnder(target), 100u);
  EXPECT_EQ(boxes.seen.size(), 3u) << "the three questions, no error";
  stdfs::remove_all(target, ignored);
}

}  // namespace
}  // namespace brimwell::testing
