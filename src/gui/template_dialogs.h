// The file dialogs of the size template in Qt: OpenDialog1 and SaveDialog1, set up from the
// form's rules (form/template_dialogs.h: texts, folder, last name). The bundled templates'
// folder is also in the dialog's sidebar; a dialog with neither a folder nor a last name
// opens in the user's home folder.
#pragma once

#include <QFileDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "form/template_dialogs.h"

namespace brimwell::gui {

class TemplateDialog {
 public:
  // Runs a configured dialog; the chosen name, or nothing when the user cancelled.
  using Runner = std::function<std::optional<QString>(QFileDialog&)>;

  TemplateDialog();

  // Sets up `dialog` as `setup` says: title, filter, suffix, mode, folder, last name.
  static void configure(QFileDialog& dialog, const form::DialogSetup& setup);
  // Shows the dialog over `parent`; the chosen file name, or nothing when cancelled.
  std::optional<std::string> choose(QWidget* parent, const form::DialogSetup& setup);

  // Replaces how the dialog is run (tests script the answer without showing it).
  void setRunner(Runner runner) { runner_ = std::move(runner); }

 private:
  Runner runner_;
};

}  // namespace brimwell::gui
