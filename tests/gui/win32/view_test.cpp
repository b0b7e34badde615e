// The Win32 window, hidden, driven by window messages as a user's clicks, keys and the
// list views' notifications reach it; the form's state and the controls' texts checked.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "box_answerer.h"
#include "form/spin_rules.h"
#include "gui/win32/form1.h"
#include "gui/win32/spin_control.h"
#include "on_display.h"
#include "support/stepped_clock.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

using win32::windowText;

struct Win32View : OnDisplay {
  SteppedClock clock;
  win32::TForm1 form{GetModuleHandleA(nullptr), "Brimwell", clock};
  TempDir dir;

  HWND control(const char* name) { return form.control(name); }
  void click(const char* name) { SendMessageA(control(name), BM_CLICK, 0, 0); }
  void type(HWND field, const std::string& text) {
    SetWindowTextA(field, "");
    for (const char c : text) SendMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 0);
  }
  // Sends a list view's notification as the control does, to the page that holds it.
  LRESULT notify(form::List which, UINT code, int row, const char* text = nullptr) {
    NMLVDISPINFOA info{};
    info.hdr = {form.list(which).handle(), 0, code};
    info.item.iItem = row;
    info.item.pszText = const_cast<char*>(text);
    return SendMessageA(GetParent(info.hdr.hwndFrom), WM_NOTIFY, 0,
                        reinterpret_cast<LPARAM>(&info));
  }
  std::string cell(form::List which, int row, int column) {
    char text[260] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(form.list(which).handle(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
  }
  int rows(form::List which) {
    return static_cast<int>(SendMessageA(form.list(which).handle(), LVM_GETITEMCOUNT, 0, 0));
  }
  void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  // Answers the template dialogs with `name`, checking how they were set up.
  void answerDialogs(const std::string& name) {
    form.setDialogRunner([name](OPENFILENAMEA& dialog, form::DialogKind kind) {
      EXPECT_STREQ(dialog.lpstrTitle,
                   kind == form::DialogKind::Load ? "Load file sizes" : "Save file sizes");
      EXPECT_EQ(std::string(dialog.lpstrFilter, 17), std::string("file sizes\0*.fs\0", 17));
      EXPECT_STREQ(dialog.lpstrDefExt, "fs");
      EXPECT_EQ(dialog.Flags & OFN_OVERWRITEPROMPT, 0u);
      name.copy(dialog.lpstrFile, dialog.nMaxFile - 1);
      return true;
    });
  }
};

TEST_F(Win32View, TheComponentsStandWithTheirCaptionsDefaultsAndPlaces) {
  EXPECT_EQ(windowText(form.handle()), "Brimwell");
  RECT client{};
  GetClientRect(form.handle(), &client);
  EXPECT_EQ(client.right, 688);
  EXPECT_EQ(client.bottom, 692);
  const LONG style = GetWindowLongA(form.handle(), GWL_STYLE);
  EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME), 0);
  for (const form::Component& component : form::components()) {
    const HWND shown = control(component.name);
    ASSERT_NE(shown, nullptr) << component.name;
    RECT place{};
    GetWindowRect(shown, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(shown), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, component.place.x) << component.name;
    EXPECT_EQ(place.top, component.place.y) << component.name;
    if (component.kind == form::Kind::Label || component.kind == form::Kind::Button) {
      EXPECT_EQ(windowText(shown), component.caption);
    }
  }
  EXPECT_EQ(windowText(control("SpinEdit1")), "6000");
  EXPECT_EQ(windowText(control("path3")), "Documents and Settings emul");
  EXPECT_EQ(windowText(control("reprodpath")), "d:\\");
  EXPECT_FALSE(IsWindowVisible(control("files")) || IsWindowVisible(control("TabSheet2")));
  const HWND sizes = control("sizes");
  EXPECT_NE(GetWindowLongA(sizes, GWL_STYLE) & LVS_OWNERDATA, 0);
  char header[32] = {};
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = header;
  column.cchTextMax = sizeof(header);
  SendMessageA(sizes, LVM_GETCOLUMNA, 3, reinterpret_cast<LPARAM>(&column));
  EXPECT_STREQ(header, "Description");
  EXPECT_EQ(column.cx, 260);
}

TEST_F(Win32View, SpinFieldsFilterTypingStepAndClampWhenAButtonIsPressed) {
  const HWND delprocent = control("delprocent");
  type(delprocent, "1a5x0\r");
  EXPECT_EQ(windowText(delprocent), "150");
  SendMessageA(delprocent, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(windowText(delprocent), "99") << "a step brings the value into range";
  type(delprocent, "150");
  SetFocus(delprocent);
  BoxAnswerer boxes;  // the list is empty
  click("del1");      // takes the focus: the field is clamped before the handler reads it
  EXPECT_EQ(windowText(delprocent), "99");
  EXPECT_EQ(form.core().value(SpinField::delprocent), 99);

  NMUPDOWN down{};
  down.hdr = {form.arrows(SpinField::SpinEdit2), 0, UDN_DELTAPOS};
  down.iDelta = -1;
  type(control("SpinEdit2"), "x");
  EXPECT_EQ(form.core().value(SpinField::SpinEdit2), 1) << "a text that does not parse";
  SendMessageA(GetParent(control("SpinEdit2")), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&down));
  EXPECT_EQ(windowText(control("SpinEdit2")), "1");

  // A held up arrow: one step on the press, then a repeat at each due tick while the
  // pointer stays on it.
  const HWND arrows = form.arrows(SpinField::subf1);
  const auto send = [&](UINT message, WPARAM wParam, int y) {
    SendMessageA(arrows, message, wParam, MAKELPARAM(2, y));
  };
  const auto tickAfter = [&](int ms) {
    clock.advance(std::chrono::milliseconds(ms));
    send(WM_TIMER, win32::SpinControl::kRepeatTimer, 0);
  };
  send(WM_LBUTTONDOWN, MK_LBUTTON, 2);
  EXPECT_EQ(windowText(control("subf1")), "4");
  tickAfter(form::kFirstRepeatMs - 1);
  EXPECT_EQ(windowText(control("subf1")), "4") << "before the first delay";
  tickAfter(1);
  EXPECT_EQ(windowText(control("subf1")), "5");
  send(WM_MOUSEMOVE, MK_LBUTTON, 200);
  tickAfter(form::kRepeatMs);
  send(WM_LBUTTONUP, 0, 200);
  tickAfter(form::kRepeatMs);
  EXPECT_EQ(windowText(control("subf1")), "5") << "not while the pointer is off the arrow";
}

TEST_F(Win32View, ButtonsAndTheMenuRunTheHandlersOnTheLists) {
  dir.writeFile("sizes.fs", "150\t0\tsmall\r\n1000\t0\r\n");
  dir.writeFile("census/a", std::string(100, 'a'));
  dir.writeFile("census/b", std::string(200, 'b'));
  answerDialogs(dir / "sizes.fs");
  click("sizeload");
  SetWindowTextA(control("scanpath"), (dir / "census").c_str());
  click("analyse");
  EXPECT_EQ(windowText(control("analysestatus")),
            "Total files: 2, total folders: 0, total size: 300, avg size: 150.");
  pump();
  ASSERT_EQ(rows(form::List::sizes), 2);
  EXPECT_EQ(cell(form::List::sizes, 0, 1), "1");
  EXPECT_EQ(cell(form::List::sizes, 0, 3), "small");

  answerDialogs(dir / "out.fs");
  SendMessageA(form.handle(), WM_COMMAND, win32::TForm1::kSave1Id, 0);  // PopupMenu1's Save1
  EXPECT_EQ(dir.readFile("out.fs"), "150\t1\tsmall\r\n1000\t1\r\n");

  type(control("SpinEdit1"), "30");
  click("build");
  pump();
  EXPECT_EQ(rows(form::List::files1), 30);
  EXPECT_EQ(cell(form::List::files1, 29, 0).rfind("d:\\", 0), 0u);
}

TEST_F(Win32View, BoxesCarryTheTextsAndCancelDeclines) {
  TextTable& files1 = form.core().workspace().files1;
  files1.addSubCell(files1.addRow(dir / "a.DAT"), "1");
  {
    BoxAnswerer boxes(IDCANCEL);
    click("reproduce");
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].caption, "Confirm");
    EXPECT_TRUE(boxes.seen[0].hasCancel);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "a.DAT"));
  files1.setSubCell(0, 0, "abc");
  BoxAnswerer boxes(IDOK);
  click("reproduce");
  ASSERT_EQ(boxes.seen.size(), 1u);
  EXPECT_EQ(boxes.seen[0].caption, "Brimwell");
  EXPECT_EQ(boxes.seen[0].text, "'abc' is not a valid integer value.");
  EXPECT_FALSE(boxes.seen[0].hasCancel);
  EXPECT_TRUE(IsWindowEnabled(form.handle())) << "the window takes input again";
}

TEST_F(Win32View, EraseKeepsDoneAndTellsOfFilesLeftBehindInTheStatusLinesTip) {
  TextTable& files1 = form.core().workspace().files1;
  files1.addSubCell(files1.addRow(dir / "missing.DAT"), "1");
  BoxAnswerer boxes(IDOK);
  click("del2");
  EXPECT_EQ(windowText(control("analysestatus")), "Done.");
  char tip[128] = {};
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = form.handle();
  tool.uId = reinterpret_cast<UINT_PTR>(control("analysestatus"));
  tool.lpszText = tip;
  // The status line's tooltip window is a top-level window of this thread.
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM found) {
        char windowClass[32] = {};
        GetClassNameA(window, windowClass, sizeof(windowClass));
        if (std::string(windowClass) != TOOLTIPS_CLASSA) return TRUE;
        auto& info = *reinterpret_cast<TTTOOLINFOA*>(found);
        SendMessageA(window, TTM_GETTEXTA, 128, found);
        return info.lpszText[0] == '\0' ? TRUE : FALSE;
      },
      reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(tip, "1 listed file(s) could not be deleted (missing, locked or read-only).");
}

TEST_F(Win32View, TheCaptionIsEditedInPlaceButNotWhileTheRowsAreBeingReplaced) {
  TextTable& files1 = form.core().workspace().files1;
  for (const char* path : {"d:\\a.DAT", "d:\\b.DAT"}) files1.addSubCell(files1.addRow(path), "1");
  pump();
  EXPECT_EQ(notify(form::List::files1, LVN_BEGINLABELEDITA, 1), FALSE);
  EXPECT_EQ(notify(form::List::files1, LVN_ENDLABELEDITA, 1, "d:\\edited.DAT"), TRUE);
  EXPECT_EQ(files1.caption(1), "d:\\edited.DAT");
  EXPECT_EQ(cell(form::List::files1, 1, 0), "d:\\edited.DAT");
  TableBatch batch(files1);
  files1.removeRows({true, false});
  EXPECT_EQ(notify(form::List::files1, LVN_BEGINLABELEDITA, 0), TRUE) << "the edit is refused";
  EXPECT_EQ(rows(form::List::files1), 2) << "repainting suspended";
}

TEST_F(Win32View, TheFileListShowsAMillionRowsAskingOnlyForTheCellsInView) {
  constexpr int kMillion = 1'000'000;
  TextTable& files1 = form.core().workspace().files1;
  {
    TableBatch batch(files1);
    files1.reserve(kMillion, kMillion * 16u);
    for (int i = 0; i < kMillion; ++i) {
      files1.addSubCell(files1.addRow("d:\\a\\" + std::to_string(i) + ".DAT"), "4096");
    }
  }
  EXPECT_EQ(rows(form::List::files1), kMillion);
  const HWND list = control("files1");
  SendMessageA(list, LVM_ENSUREVISIBLE, kMillion - 1, FALSE);
  EXPECT_GT(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), kMillion - 100);
  EXPECT_EQ(cell(form::List::files1, kMillion - 1, 0), "d:\\a\\999999.DAT");
  EXPECT_EQ(cell(form::List::files1, kMillion - 1, 1), "4096");
}

TEST_F(Win32View, ClosingStopsTheWriterAfterTheFileItIsOnAndTheWindowStays) {
  TextTable& files1 = form.core().workspace().files1;
  for (int i = 1; i <= 3; ++i)
    files1.addSubCell(files1.addRow(dir / ("f" + std::to_string(i))), "10");
  form.core().feedback().setKeepAliveSpacing(0);
  BoxAnswerer boxes(IDOK, [&] { PostMessageA(form.handle(), WM_CLOSE, 0, 0); });
  click("reproduce");
  EXPECT_EQ(windowText(control("analysestatus")), "Stopped.");
  EXPECT_TRUE(IsWindow(form.handle()));
  EXPECT_TRUE(std::filesystem::exists(dir / "f1"));
  EXPECT_FALSE(std::filesystem::exists(dir / "f3"));
  SendMessageA(form.handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(form.handle())) << "with nothing running, a close closes";
}

}  // namespace
}  // namespace brimwell::testing
