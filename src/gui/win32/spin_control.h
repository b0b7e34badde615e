// A spin field: an edit control with an up-down control at its right end, following the
// form's rules (form/spin_rules.h). The up-down control keeps no value of its own
// (no UDS_SETBUDDYINT): each arrow asks for a step from the field's text as read. The
// edit control is subclassed for what the rules say of keys and focus: Up and Down step,
// typed characters are filtered, leaving clamps. The up-down control is subclassed for
// the form's held-arrow repeat (form/held_arrow.h), asked at each tick of a timer set to
// when the next repeat is due (the control's own repeats are not taken).
#pragma once

#include <windows.h>

#include <string>

#include "app/fields.h"
#include "form/held_arrow.h"

namespace brimwell::win32 {

class SpinControl {
 public:
  // `decimalSeparator` is read at each typed key (the locale may change); a held arrow
  // repeats by `clock`.
  SpinControl(HWND page, int id, SpinField field, const std::string& decimalSeparator,
              const form::FormClock& clock);

  HWND edit() const { return edit_; }
  HWND arrows() const { return arrows_; }
  SpinField field() const { return field_; }
  void stepBy(int delta);
  void clamp();
  // The up-down control's UDN_DELTAPOS; what the owner returns.
  LRESULT deltaPos(int delta);

  // The timer of a held arrow, on the up-down control (apart from the control's own).
  static constexpr UINT_PTR kRepeatTimer = 0x7BE1;

 private:
  enum class Part { None, Up, Down };
  static LRESULT CALLBACK editProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR self);
  static LRESULT CALLBACK arrowsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR self);
  Part partAt(LPARAM point) const;
  void scheduleRepeat();

  SpinField field_;
  form::HeldArrow held_;
  bool firstStepMade_ = false;
  const std::string& decimalSeparator_;
  HWND edit_;
  HWND arrows_;
};

// A control's text in the system's code page.
std::string windowText(HWND window);

}  // namespace brimwell::win32
