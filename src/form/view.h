// What the form asks of a window toolkit. A view maps its controls to these calls and
// nothing more; every rule lives in the form. Texts cross in the system's code page (the
// operations' own text); a view whose toolkit speaks Unicode converts at its edge.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/fields.h"
#include "form/components.h"
#include "form/template_dialogs.h"

namespace brimwell::form {

class View {
 public:
  virtual ~View() = default;
  // A field's text as it stands in its control.
  virtual std::string fieldText(EditField field) = 0;
  virtual std::string fieldText(SpinField field) = 0;
  virtual void showStatus(std::string_view text) = 0;
  // The status line's tooltip; empty for none.
  virtual void showStatusTip(std::string_view text) = 0;
  // 0 to 100.
  virtual void showProgress(int percent) = 0;
  // Handles the pending events (repaint, input) and returns.
  virtual void processEvents() = 0;
  // A modal box: `title` as caption, the text, no icon, one "OK".
  virtual void showNotice(std::string_view title, std::string_view text) = 0;
  // A modal question: kConfirmCaption, a question icon, "OK" (default) and "Cancel";
  // true only for OK.
  virtual bool askConfirm(std::string_view text) = 0;
  // A modal box: `title` as caption, the text, a stop icon, one "OK".
  virtual void showError(std::string_view title, std::string_view text) = 0;
  // A template dialog set up as `setup` says; the chosen file name, or nothing when
  // cancelled.
  virtual std::optional<std::string> chooseTemplate(const DialogSetup& setup) = 0;
  // Closes the window (the form has agreed).
  virtual void closeWindow() = 0;
};

}  // namespace brimwell::form
