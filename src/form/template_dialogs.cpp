#include "form/template_dialogs.h"

#include <utility>

#include "platform/bundled_template_folder.h"

namespace brimwell::form {
namespace {

int slot(DialogKind kind) { return kind == DialogKind::Load ? 0 : 1; }

}  // namespace

TemplateDialogs::TemplateDialogs(std::string bundledFolder)
    : bundledFolder_(std::move(bundledFolder)) {}

DialogSetup TemplateDialogs::setup(DialogKind kind) const {
  const std::string& lastName = lastNames_[slot(kind)];
  // The first time, where the templates that come with the program are (rather than the
  // working folder, which is anywhere); then where the last choice ended.
  return DialogSetup{kind,
                     dialogTitle(kind),
                     kDialogFilterName,
                     kDialogFilterPattern,
                     kDialogSuffix,
                     lastName.empty() ? bundledFolder_ : std::string(),
                     lastName,
                     bundledFolder_};
}

void TemplateDialogs::chosen(DialogKind kind, const std::optional<std::string>& name) {
  if (name && !name->empty()) lastNames_[slot(kind)] = *name;
}

std::optional<std::string> TemplateDialogs::takeNextAnswer() {
  return std::exchange(nextAnswer_, std::nullopt);
}

std::string bundledTemplateFolderName() { return bundledTemplateFolder(); }

}  // namespace brimwell::form
