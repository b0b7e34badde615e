// The template file dialogs' rules, the same in every view: their texts, where they open
// and what they remember.
//
// Each dialog opens with the name last chosen in it during the run; the first time it
// opens in the folder of the bundled templates (platform/bundled_template_folder.h), or in
// the view's default folder (the user's home) when the program has none. The open dialog
// takes a typed name of a missing file (the load then reports it); the save dialog
// replaces an existing file without asking. A name given to answerNextWith() (a template
// named when the window starts) answers the next load without showing a dialog.
#pragma once

#include <optional>
#include <string>

#include "form/components.h"

namespace brimwell::form {

// What a view sets up as a dialog opens.
struct DialogSetup {
  DialogKind kind;
  const char* title;
  const char* filterName;     // "file sizes"
  const char* filterPattern;  // "*.fs"
  const char* suffix;         // added to a typed name without one
  // The folder to open in: the bundled templates' the first time, empty otherwise.
  std::string folder;
  // The name last chosen in this dialog; empty the first time.
  std::string lastName;
  // The bundled templates' folder, for a view that lists places; empty when there is none.
  std::string bundledFolder;
};

class TemplateDialogs {
 public:
  // `bundledFolder` is the bundled templates' folder (empty: none).
  explicit TemplateDialogs(std::string bundledFolder);

  DialogSetup setup(DialogKind kind) const;
  // The user chose `name` in the dialog of `kind` (nothing: cancelled).
  void chosen(DialogKind kind, const std::optional<std::string>& name);
  void answerNextWith(std::string name) { nextAnswer_ = std::move(name); }
  std::optional<std::string> takeNextAnswer();

 private:
  std::string bundledFolder_;
  std::string lastNames_[2];
  std::optional<std::string> nextAnswer_;
};

// The bundled templates' folder as the dialogs take it (empty: none).
std::string bundledTemplateFolderName();

}  // namespace brimwell::form
