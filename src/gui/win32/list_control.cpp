#include "gui/win32/list_control.h"

#include <string>

#include "form/components.h"

namespace brimwell::win32 {

ListControl::ListControl(HWND page, HWND owner, int id, TextTable& table, form::List list,
                         bool gridLines)
    : owner_(owner), rows_(table, *this), keeper_(table) {
  const form::Component& place = form::componentNamed(list == form::List::sizes   ? "sizes"
                                                      : list == form::List::files ? "files"
                                                                                  : "files1");
  handle_ =
      CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                      WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                          LVS_EDITLABELS | LVS_SHOWSELALWAYS,
                      place.place.x, place.place.y, place.place.width, place.place.height, page,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  DWORD extended = LVS_EX_FULLROWSELECT;
  if (gridLines) extended |= LVS_EX_GRIDLINES;
  SendMessageA(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  int index = 0;
  for (const form::Column& column : form::columns(list)) {
    LVCOLUMNA shown{};
    shown.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    shown.fmt = LVCFMT_LEFT;
    shown.cx = column.width;
    shown.pszText = const_cast<char*>(column.header);
    SendMessageA(handle_, LVM_INSERTCOLUMNA, index++, reinterpret_cast<LPARAM>(&shown));
  }
  SendMessageA(handle_, LVM_SETITEMCOUNT, rows_.shownRows(), 0);
}

LRESULT ListControl::notify(NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOA: {
      LVITEMA& item = reinterpret_cast<NMLVDISPINFOA&>(header).item;
      if ((item.mask & LVIF_TEXT) != 0 && item.cchTextMax > 0) {
        const std::string_view text = rows_.cellText(item.iItem, item.iSubItem);
        const std::size_t length = std::min<std::size_t>(text.size(), item.cchTextMax - 1);
        text.copy(item.pszText, length);
        item.pszText[length] = '\0';
      }
      return 0;
    }
    case LVN_ITEMCHANGED: {
      const NMLISTVIEW& change = reinterpret_cast<NMLISTVIEW&>(header);
      if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_FOCUSED) != 0) {
        keeper_.remember(change.iItem);
      }
      return 0;
    }
    case LVN_BEGINLABELEDITA: {
      const int row = reinterpret_cast<NMLVDISPINFOA&>(header).item.iItem;
      if (!rows_.captionEditable(row)) return TRUE;
      keeper_.remember(row);
      return FALSE;
    }
    case LVN_ENDLABELEDITA: {
      const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA&>(header).item;
      if (item.pszText == nullptr) return FALSE;
      const bool taken = rows_.setCaption(item.iItem, item.pszText);
      keeper_.remember(item.iItem);
      return taken ? TRUE : FALSE;
    }
    default:
      return 0;
  }
}

void ListControl::beforeReset() {
  rowToSelect_ = keeper_.rowToKeep();
  const HWND editor = reinterpret_cast<HWND>(SendMessageA(handle_, LVM_GETEDITCONTROL, 0, 0));
  if (editor == nullptr) return;
  // The reset ends an open edit: committed while its row is the one the user chose.
  if (rowToSelect_ >= 0) {
    const int length = GetWindowTextLengthA(editor);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(editor, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    rows_.setCaption(rowToSelect_, text);
  }
  SendMessageA(handle_, LVM_CANCELEDITLABEL, 0, 0);
}

void ListControl::afterReset() {
  SendMessageA(handle_, LVM_SETITEMCOUNT, rows_.shownRows(), LVSICF_NOSCROLL);
  LVITEMA none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(handle_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  if (rowToSelect_ >= 0 && rowToSelect_ < rows_.shownRows()) {
    LVITEMA chosen{};
    chosen.state = chosen.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(handle_, LVM_SETITEMSTATE, rowToSelect_, reinterpret_cast<LPARAM>(&chosen));
  }
  InvalidateRect(handle_, nullptr, TRUE);
}

void ListControl::cellChanged(int row, int) { SendMessageA(handle_, LVM_REDRAWITEMS, row, row); }

void ListControl::resetLater() {
  PostMessageA(owner_, kResetListMessage, 0, reinterpret_cast<LPARAM>(this));
}

}  // namespace brimwell::win32
