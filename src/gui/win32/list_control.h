// A list of the form shown in a virtual report list view (LVS_OWNERDATA): the control asks
// for each visible cell's text, so a list of 1,000,000 files costs its table and no more.
// The form's ListRows decides what is shown and editable; its EditKeeper keeps an edit in
// place and the selection across a reset.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include "form/components.h"
#include "form/edit_keeper.h"
#include "form/list_rows.h"

namespace brimwell::win32 {

// Posted to the list's owner with the ListControl* in lParam: the reset asked for by
// ListDisplay::resetLater() is due.
inline constexpr UINT kResetListMessage = WM_APP + 1;

class ListControl : private form::ListDisplay {
 public:
  // Creates the list view on `page`, columns as the form names them.
  ListControl(HWND page, HWND owner, int id, TextTable& table, form::List list, bool gridLines);

  HWND handle() const { return handle_; }
  form::ListRows& rows() { return rows_; }
  // Answers the list view's notifications; what the owner's window procedure returns.
  LRESULT notify(NMHDR& header);

 private:
  void beforeReset() override;
  void afterReset() override;
  void cellChanged(int row, int column) override;
  void resetLater() override;

  HWND handle_;
  HWND owner_;
  form::ListRows rows_;
  form::EditKeeper keeper_;
  int rowToSelect_ = -1;
};

}  // namespace brimwell::win32
