#include "gui/template_dialogs.h"

#include <QDir>

#include "gui/system_text.h"

namespace brimwell::gui {
namespace {

std::optional<QString> execDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front();
}

}  // namespace

TemplateDialog::TemplateDialog(Kind kind) : kind_(kind), runner_(execDialog) {}

QString TemplateDialog::title() const {
  return kind_ == Kind::Load ? QStringLiteral("Load file sizes")
                             : QStringLiteral("Save file sizes");
}

void TemplateDialog::configure(QFileDialog& dialog) const {
  dialog.setWindowTitle(title());
  dialog.setNameFilter(QStringLiteral("file sizes (*.fs)"));
  dialog.setDefaultSuffix(QStringLiteral("fs"));
  dialog.setFileMode(QFileDialog::AnyFile);
  if (kind_ == Kind::Load) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  }
  // The first time, the user's own folder rather than the working folder, which may be
  // the folder of the bundled templates: a save there would replace one of them.
  if (lastName_.isEmpty()) {
    dialog.setDirectory(QDir::home());
  } else {
    dialog.selectFile(lastName_);
  }
}

std::optional<std::string> TemplateDialog::choose(QWidget* parent) {
  QFileDialog dialog(parent);
  configure(dialog);
  const std::optional<QString> chosen = runner_(dialog);
  if (!chosen || chosen->isEmpty()) return std::nullopt;
  lastName_ = *chosen;
  return toSystemText(*chosen);
}

}  // namespace brimwell::gui
