// TForm1 in Win32: the main window as native controls (a tab control with two pages, edit
// fields with up-down arrows, buttons, virtual list views, a status line and a progress
// bar), a view over the form (form::MainForm), which holds the lists, the random source,
// the handlers and the rules of running them. The window speaks the system's code page
// through the "A" calls, as the operations and the file system do.
//
// Controls are found by the components' names (control()); a control's id is its place in
// form::components() plus kFirstComponentId.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <commdlg.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form/main_form.h"
#include "gui/win32/list_control.h"
#include "gui/win32/spin_control.h"

namespace brimwell::win32 {

class TForm1 : private form::View {
 public:
  static constexpr int kFirstComponentId = 1000;
  static constexpr int kLoad1Id = 100;
  static constexpr int kSave1Id = 101;

  // Creates the window, hidden; `applicationTitle` is the caption of every notice and
  // error box; the form's timing goes by `clock`.
  TForm1(HINSTANCE instance, std::string applicationTitle,
         const form::FormClock& clock = form::steadyClock());
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // How a template dialog is run: the default shows it (GetOpenFileNameA or
  // GetSaveFileNameA); tests answer from a script.
  using DialogRunner = std::function<bool(OPENFILENAMEA& dialog, form::DialogKind kind)>;

  HWND handle() const { return window_; }
  // Closing the window ends the message loop (the program's window).
  void endProgramWhenClosed() { endsProgram_ = true; }
  void setDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }
  // A component by name: those of form::components() (a spin field's edit control),
  // "PageControl1", "TabSheet1", "TabSheet2", "analysestatus", "Progress".
  HWND control(std::string_view name) const;
  HWND arrows(SpinField field) const;
  ListControl& list(form::List which) { return *lists_[static_cast<std::size_t>(which)]; }
  HMENU PopupMenu1() const { return popup_; }
  form::MainForm& core() { return core_; }
  // The page shown: 0 or 1.
  void showPage(int page);

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK pageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void createComponents(HINSTANCE instance);
  void createPages(HINSTANCE instance);
  HWND createComponent(std::size_t index);
  void createStatusLine(HINSTANCE instance);
  void createPopupMenu();
  void command(int id, int code, HWND from);
  LRESULT notify(NMHDR& header);
  SpinControl& spin(SpinField field) { return *spins_[static_cast<std::size_t>(field)]; }

  // form::View
  std::string fieldText(EditField field) override;
  std::string fieldText(SpinField field) override;
  void showStatus(std::string_view text) override;
  void showStatusTip(std::string_view text) override;
  void showProgress(int percent) override;
  void processEvents() override;
  void showNotice(std::string_view title, std::string_view text) override;
  bool askConfirm(std::string_view text) override;
  void showError(std::string_view title, std::string_view text) override;
  std::optional<std::string> chooseTemplate(const form::DialogSetup& setup) override;
  void closeWindow() override;

  form::MainForm core_;
  HWND window_ = nullptr;
  HWND tabs_ = nullptr;
  std::array<HWND, 2> pages_{};
  HWND status_ = nullptr;
  HWND statusTip_ = nullptr;
  HWND progress_ = nullptr;
  HMENU popup_ = nullptr;
  HFONT font_ = nullptr;
  std::array<HBITMAP, 2> images_{};
  std::vector<HWND> components_;
  std::array<std::unique_ptr<SpinControl>, kSpinFieldCount> spins_;
  std::array<std::unique_ptr<ListControl>, 3> lists_;
  DialogRunner dialogRunner_;
  bool endsProgram_ = false;
};

}  // namespace brimwell::win32
