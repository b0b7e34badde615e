#include "gui/win32/form1.h"

#include <commctrl.h>
#include <windowsx.h>

#include "form/components.h"
#include "gui/win32/xpm_icon.h"

namespace brimwell::win32 {
namespace {

constexpr const char* kWindowClass = "BrimwellTForm1";
constexpr const char* kPageClass = "BrimwellTabSheet";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kPageIds[2] = {901, 902};

HMENU controlId(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

void registerClasses(HINSTANCE instance, WNDPROC windowProc, WNDPROC pageProc) {
  WNDCLASSEXA window{};
  window.cbSize = sizeof(window);
  window.lpfnWndProc = windowProc;
  window.hInstance = instance;
  window.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window.hIcon = LoadIconA(instance, "MAINICON");
  window.hIconSm =
      static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), 0));
  window.lpszClassName = kWindowClass;
  RegisterClassExA(&window);  // fails harmlessly when registered before
  WNDCLASSEXA page = window;
  page.lpfnWndProc = pageProc;
  page.hIcon = page.hIconSm = nullptr;
  page.lpszClassName = kPageClass;
  RegisterClassExA(&page);
}

HWND child(DWORD extended, const char* windowClass, const char* text, DWORD style,
           const form::Place& place, HWND parent, int id) {
  return CreateWindowExA(extended, windowClass, text, WS_CHILD | style, place.x, place.y,
                         place.width, place.height, parent, controlId(id), nullptr, nullptr);
}

bool runDialog(OPENFILENAMEA& dialog, form::DialogKind kind) {
  return (kind == form::DialogKind::Load ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog)) !=
         0;
}

}  // namespace

TForm1::TForm1(HINSTANCE instance, std::string applicationTitle, const form::FormClock& clock)
    : core_(*this, std::move(applicationTitle), clock), dialogRunner_(runDialog) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                      ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS |
                                                      ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  registerClasses(instance, windowProc, pageProc);
  RECT outer{0, 0, form::kClientWidth, form::kClientHeight};
  AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  window_ = CreateWindowExA(0, kWindowClass, form::kWindowCaption, kWindowStyle,
                            work.left + (work.right - work.left - width) / 2,
                            work.top + (work.bottom - work.top - height) / 2, width, height,
                            nullptr, nullptr, instance, this);
  createComponents(instance);
  core_.FormCreate();
}

TForm1::~TForm1() {
  if (IsWindow(window_)) DestroyWindow(window_);
  DestroyMenu(popup_);
  for (HBITMAP image : images_) DeleteObject(image);
  DeleteObject(font_);
}

void TForm1::createComponents(HINSTANCE instance) {
  HDC screen = GetDC(nullptr);
  font_ =
      CreateFontA(-MulDiv(form::kFontPoints, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0,
                  FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, form::kFontName);
  ReleaseDC(nullptr, screen);
  createPages(instance);
  images_ = {bitmapFromXpm(kLoadXpm), bitmapFromXpm(kSaveXpm)};
  components_.resize(form::components().size());
  for (std::size_t i = 0; i < components_.size(); ++i) components_[i] = createComponent(i);
  createStatusLine(instance);
  createPopupMenu();
  EnumChildWindows(
      window_,
      [](HWND control, LPARAM font) {
        SendMessageA(control, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font_));
  showPage(0);
}

void TForm1::createPages(HINSTANCE instance) {
  tabs_ = child(0, WC_TABCONTROLA, "", WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP,
                form::kPageControlPlace, window_, 10);
  SendMessageA(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  for (int page = 0; page < 2; ++page) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(form::kPageCaptions[page]);
    SendMessageA(tabs_, TCM_INSERTITEMA, page, reinterpret_cast<LPARAM>(&item));
  }
  RECT shown{0, 0, form::kPageControlPlace.width, form::kPageControlPlace.height};
  SendMessageA(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&shown));
  const form::Place pagePlace{form::kPageControlPlace.x + shown.left,
                              form::kPageControlPlace.y + shown.top, shown.right - shown.left,
                              shown.bottom - shown.top};
  for (int page = 0; page < 2; ++page) {
    pages_[page] = CreateWindowExA(WS_EX_CONTROLPARENT, kPageClass, "", WS_CHILD | WS_CLIPSIBLINGS,
                                   pagePlace.x, pagePlace.y, pagePlace.width, pagePlace.height,
                                   window_, controlId(kPageIds[page]), instance, nullptr);
    SetWindowPos(pages_[page], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

HWND TForm1::createComponent(std::size_t index) {
  const form::Component& component = form::components()[index];
  const HWND page = pages_[component.page];
  const int id = kFirstComponentId + static_cast<int>(index);
  switch (component.kind) {
    case form::Kind::Label:
      return child(0, "STATIC", component.caption, WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                   component.place, page, id);
    case form::Kind::Edit:
      return child(WS_EX_CLIENTEDGE, "EDIT",
                   editFieldInfo(static_cast<EditField>(component.index)).defaultText,
                   WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, component.place, page, id);
    case form::Kind::Spin: {
      const auto field = static_cast<SpinField>(component.index);
      spins_[static_cast<std::size_t>(field)] =
          std::make_unique<SpinControl>(page, id, field, core_.decimalSeparator(), core_.clock());
      return spin(field).edit();
    }
    case form::Kind::Button:
      return child(0, "BUTTON", component.caption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                   component.place, page, id);
    case form::Kind::ImageButton: {
      const HWND button = child(0, "BUTTON", "", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                component.place, page, id);
      HIMAGELIST image = ImageList_Create(form::kIconSize, form::kIconSize, ILC_COLOR32, 1, 0);
      ImageList_Add(image, images_[std::string_view(component.name) == "sizeload" ? 0 : 1],
                    nullptr);
      BUTTON_IMAGELIST shownImage{image, {0, 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_CENTER};
      SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&shownImage));
      return button;
    }
    case form::Kind::Bevel:
      return child(0, "STATIC", "", WS_VISIBLE | SS_ETCHEDHORZ, component.place, page, id);
    case form::Kind::List:
      break;
  }
  const auto which = static_cast<form::List>(component.index);
  auto& shownList = lists_[static_cast<std::size_t>(which)];
  shownList =
      std::make_unique<ListControl>(page, window_, id, form::listTable(core_.workspace(), which),
                                    which, which == form::List::sizes);
  if (which != form::List::files) ShowWindow(shownList->handle(), SW_SHOWNA);
  return shownList->handle();
}

void TForm1::createStatusLine(HINSTANCE instance) {
  status_ = child(WS_EX_CLIENTEDGE, "EDIT", "", WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL,
                  form::kStatusPlace, window_, 11);
  statusTip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                               window_, nullptr, instance, nullptr);
  TTTOOLINFOA tip{};
  tip.cbSize = sizeof(tip);
  tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tip.hwnd = window_;
  tip.uId = reinterpret_cast<UINT_PTR>(status_);
  tip.lpszText = const_cast<char*>("");
  SendMessageA(statusTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tip));
  progress_ = child(0, PROGRESS_CLASSA, "", WS_VISIBLE, form::kProgressPlace, window_, 12);
  SendMessageA(progress_, PBM_SETRANGE32, 0, 100);
}

void TForm1::createPopupMenu() {
  popup_ = CreatePopupMenu();
  AppendMenuA(popup_, MF_STRING, kLoad1Id, form::kLoadItem);
  AppendMenuA(popup_, MF_STRING, kSave1Id, form::kSaveItem);
  for (int item = 0; item < 2; ++item) {
    MENUITEMINFOA image{};
    image.cbSize = sizeof(image);
    image.fMask = MIIM_BITMAP;
    image.hbmpItem = images_[item];
    SetMenuItemInfoA(popup_, item, TRUE, &image);
  }
}

HWND TForm1::control(std::string_view name) const {
  if (name == "PageControl1") return tabs_;
  if (name == "TabSheet1") return pages_[0];
  if (name == "TabSheet2") return pages_[1];
  if (name == "analysestatus") return status_;
  if (name == "Progress") return progress_;
  const auto components = form::components();
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (components[i].name == name) return components_[i];
  }
  return nullptr;
}

HWND TForm1::arrows(SpinField field) const {
  return spins_[static_cast<std::size_t>(field)]->arrows();
}

void TForm1::showPage(int page) {
  SendMessageA(tabs_, TCM_SETCURSEL, page, 0);
  ShowWindow(pages_[page], SW_SHOWNA);
  ShowWindow(pages_[1 - page], SW_HIDE);
}

LRESULT CALLBACK TForm1::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TForm1*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return self->handle(message, wParam, lParam);
}

LRESULT CALLBACK TForm1::pageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A page is only a frame: what its controls report goes to the window.
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CONTEXTMENU:
      return SendMessageA(GetParent(window), message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT TForm1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_NOTIFY:
      return notify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU: {
      const HWND sizes = list(form::List::sizes).handle();
      if (reinterpret_cast<HWND>(wParam) != sizes) break;
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (lParam == -1) {  // from the keyboard: at the list's corner
        at = {0, 0};
        ClientToScreen(sizes, &at);
      }
      TrackPopupMenu(popup_, TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
      return 0;
    }
    case kResetListMessage:
      reinterpret_cast<ListControl*>(lParam)->rows().resetIfPending();
      return 0;
    case WM_SETTINGCHANGE:
      core_.localeChanged();
      break;
    case WM_CLOSE:
      if (core_.closeAsked()) DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      if (endsProgram_) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

void TForm1::command(int id, int code, HWND from) {
  if (from == nullptr) {  // a menu item
    if (id == kLoad1Id) core_.click("Load1");
    if (id == kSave1Id) core_.click("Save1");
    return;
  }
  if (code != BN_CLICKED) return;
  const auto components = form::components();
  const auto index = static_cast<std::size_t>(id - kFirstComponentId);
  if (index >= components.size()) return;
  // A click moves the focus to the button first, so an edited spin field is clamped
  // before the handler reads it, however the click came.
  SetFocus(from);
  core_.click(components[index].name);
}

LRESULT TForm1::notify(NMHDR& header) {
  if (header.hwndFrom == tabs_) {
    if (header.code == TCN_SELCHANGE)
      showPage(static_cast<int>(SendMessageA(tabs_, TCM_GETCURSEL, 0, 0)));
    return 0;
  }
  for (auto& shownList : lists_) {
    if (header.hwndFrom == shownList->handle()) return shownList->notify(header);
  }
  if (header.code == UDN_DELTAPOS) {
    for (auto& field : spins_) {
      if (header.hwndFrom == field->arrows()) {
        return field->deltaPos(reinterpret_cast<NMUPDOWN&>(header).iDelta);
      }
    }
  }
  return 0;
}

std::string TForm1::fieldText(EditField field) {
  return windowText(control(editFieldInfo(field).name));
}

std::string TForm1::fieldText(SpinField field) { return windowText(spin(field).edit()); }

void TForm1::showStatus(std::string_view text) {
  SetWindowTextA(status_, std::string(text).c_str());
}

void TForm1::showStatusTip(std::string_view text) {
  const std::string shown(text);
  TTTOOLINFOA tip{};
  tip.cbSize = sizeof(tip);
  tip.hwnd = window_;
  tip.uId = reinterpret_cast<UINT_PTR>(status_);
  tip.lpszText = const_cast<char*>(shown.c_str());
  SendMessageA(statusTip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tip));
}

void TForm1::showProgress(int percent) { SendMessageA(progress_, PBM_SETPOS, percent, 0); }

void TForm1::processEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // For the message loop that ends the program.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (!IsDialogMessageA(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

void TForm1::showNotice(std::string_view title, std::string_view text) {
  MessageBoxA(window_, std::string(text).c_str(), std::string(title).c_str(), MB_OK);
}

bool TForm1::askConfirm(std::string_view text) {
  return MessageBoxA(window_, std::string(text).c_str(), form::kConfirmCaption,
                     MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1) == IDOK;
}

void TForm1::showError(std::string_view title, std::string_view text) {
  MessageBoxA(window_, std::string(text).c_str(), std::string(title).c_str(), MB_OK | MB_ICONSTOP);
}

std::optional<std::string> TForm1::chooseTemplate(const form::DialogSetup& setup) {
  char name[MAX_PATH] = {};
  setup.lastName.copy(name, MAX_PATH - 1);
  const std::string filter =
      std::string(setup.filterName) + '\0' + setup.filterPattern + '\0' + '\0';
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = name;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = setup.folder.empty() ? nullptr : setup.folder.c_str();
  dialog.lpstrTitle = setup.title;
  dialog.lpstrDefExt = setup.suffix;
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  if (!dialogRunner_(dialog, setup.kind) || name[0] == '\0') return std::nullopt;
  return std::string(name);
}

void TForm1::closeWindow() { DestroyWindow(window_); }

}  // namespace brimwell::win32
