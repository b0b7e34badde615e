#include "gui/win32/spin_control.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/cell_number.h"
#include "form/components.h"
#include "form/spin_rules.h"

namespace brimwell::win32 {

std::string windowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

SpinControl::SpinControl(HWND page, int id, SpinField field, const std::string& decimalSeparator,
                         const form::FormClock& clock)
    : field_(field), held_(clock), decimalSeparator_(decimalSeparator) {
  const SpinFieldInfo& info = spinFieldInfo(field);
  const form::Place place = form::componentNamed(info.name).place;
  edit_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", formatInteger(info.defaultValue).c_str(),
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, place.x, place.y,
                          place.width, place.height, page,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  arrows_ = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT, 0, 0, 0,
                            0, page, nullptr, nullptr, nullptr);
  // The arrows' own position never reaches an end, so both arrows always notify.
  SendMessageA(arrows_, UDM_SETRANGE32, 0, 2);
  SendMessageA(arrows_, UDM_SETPOS32, 0, 1);
  SendMessageA(arrows_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
  SetWindowSubclass(edit_, editProc, 0, reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(arrows_, arrowsProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

void SpinControl::stepBy(int delta) {
  const SpinFieldInfo& info = spinFieldInfo(field_);
  SetWindowTextA(edit_,
                 form::steppedText(windowText(edit_), info.minimum, info.maximum, delta).c_str());
}

void SpinControl::clamp() {
  const SpinFieldInfo& info = spinFieldInfo(field_);
  if (const auto clamped = form::clampedText(windowText(edit_), info.minimum, info.maximum)) {
    SetWindowTextA(edit_, clamped->c_str());
  }
}

LRESULT SpinControl::deltaPos(int delta) {
  // While an arrow is held, only the press itself steps here; the repeats are ours.
  if (held_.held() && firstStepMade_) return TRUE;
  firstStepMade_ = held_.held();
  stepBy(delta > 0 ? 1 : -1);
  return TRUE;  // the arrows keep their own position
}

SpinControl::Part SpinControl::partAt(LPARAM point) const {
  RECT client{};
  GetClientRect(arrows_, &client);
  const POINT at{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  if (!PtInRect(&client, at)) return Part::None;
  return at.y < (client.bottom - client.top) / 2 ? Part::Up : Part::Down;
}

void SpinControl::scheduleRepeat() {
  if (const auto wait = held_.untilNext()) {
    SetTimer(arrows_, kRepeatTimer, static_cast<UINT>(wait->count()), nullptr);
  }
}

LRESULT CALLBACK SpinControl::arrowsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) {
  auto& spin = *reinterpret_cast<SpinControl*>(self);
  switch (message) {
    case WM_LBUTTONDOWN: {
      // The press's own step comes from the control (UDN_DELTAPOS); the repeats are ours.
      const Part pressed = spin.partAt(lParam);
      spin.firstStepMade_ = false;
      if (pressed == Part::None) {
        spin.held_.release();
      } else {
        spin.held_.press(pressed == Part::Up ? 1 : -1);
        spin.scheduleRepeat();
      }
      break;
    }
    case WM_MOUSEMOVE:
      if (spin.held_.held()) {
        spin.held_.pointerOn(spin.partAt(lParam) ==
                             (spin.held_.direction() > 0 ? Part::Up : Part::Down));
      }
      break;
    case WM_TIMER:
      if (wParam != kRepeatTimer) break;
      KillTimer(window, kRepeatTimer);
      if (const int step = spin.held_.due()) spin.stepBy(step);
      spin.scheduleRepeat();
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      KillTimer(window, kRepeatTimer);
      spin.held_.release();
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, arrowsProc, 0);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK SpinControl::editProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
  auto& spin = *reinterpret_cast<SpinControl*>(self);
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_UP || wParam == VK_DOWN) {
        spin.stepBy(wParam == VK_UP ? 1 : -1);
        return 0;
      }
      break;
    case WM_GETDLGCODE: {
      // Enter is to reach the field, which refuses it with a beep, not the window.
      const auto* pending = reinterpret_cast<const MSG*>(lParam);
      if (pending != nullptr && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
        return DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTMESSAGE;
      }
      break;
    }
    case WM_CHAR: {
      const char typed[2] = {static_cast<char>(wParam), '\0'};
      if (!form::acceptsTyped(typed, spin.decimalSeparator_)) {
        MessageBeep(MB_OK);
        return 0;
      }
      break;
    }
    case WM_KILLFOCUS:
      spin.clamp();
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, editProc, 0);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace brimwell::win32
