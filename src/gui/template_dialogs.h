// The file dialogs of the size template: OpenDialog1 ("Load file sizes") and SaveDialog1
// ("Save file sizes"), filter "file sizes (*.fs)", default suffix "fs".
//
// Each dialog opens with the name last chosen in it during the run, and the first time in
// the folder of the bundled templates (census/bundled_template_folder.h), or the user's
// home folder when the program has none; that folder is also in the dialog's sidebar. The
// open dialog accepts a typed name of a missing file (the load then reports it); the save
// dialog replaces an existing file without asking.
#pragma once

#include <QFileDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string>

namespace brimwell::gui {

class TemplateDialog {
 public:
  enum class Kind { Load, Save };
  // Runs a configured dialog; the chosen name, or nothing when the user cancelled.
  using Runner = std::function<std::optional<QString>(QFileDialog&)>;

  explicit TemplateDialog(Kind kind);

  QString title() const;
  const QString& lastName() const { return lastName_; }
  // Sets up `dialog` as this dialog opens: title, filter, suffix, mode, last name.
  void configure(QFileDialog& dialog) const;
  // Shows the dialog over `parent`; the chosen file name, or nothing when cancelled.
  std::optional<std::string> choose(QWidget* parent);

  // Replaces how the dialog is run (tests script the answer without showing it).
  void setRunner(Runner runner) { runner_ = std::move(runner); }
  // The next choose() answers `name` without showing the dialog, as if the user had chosen
  // it there (a file named on the command line).
  void answerNextWith(QString name) { nextAnswer_ = std::move(name); }

 private:
  Kind kind_;
  QString lastName_;
  Runner runner_;
  std::optional<QString> nextAnswer_;
};

}  // namespace brimwell::gui
