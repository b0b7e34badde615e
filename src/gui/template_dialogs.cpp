#include "gui/template_dialogs.h"

#include <QDir>
#include <QUrl>

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

TemplateDialog::TemplateDialog() : runner_(execDialog) {}

void TemplateDialog::configure(QFileDialog& dialog, const form::DialogSetup& setup) {
  dialog.setWindowTitle(fromSystemText(setup.title));
  dialog.setNameFilter(QStringLiteral("%1 (%2)").arg(fromSystemText(setup.filterName),
                                                     fromSystemText(setup.filterPattern)));
  dialog.setDefaultSuffix(fromSystemText(setup.suffix));
  dialog.setFileMode(QFileDialog::AnyFile);
  if (setup.kind == form::DialogKind::Load) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  }
  if (!setup.bundledFolder.empty()) {
    QList<QUrl> sidebar = dialog.sidebarUrls();
    sidebar.append(QUrl::fromLocalFile(fromSystemText(setup.bundledFolder)));
    dialog.setSidebarUrls(sidebar);
  }
  if (!setup.lastName.empty()) {
    dialog.selectFile(fromSystemText(setup.lastName));
  } else {
    dialog.setDirectory(setup.folder.empty() ? QDir::homePath() : fromSystemText(setup.folder));
  }
}

std::optional<std::string> TemplateDialog::choose(QWidget* parent, const form::DialogSetup& setup) {
  QFileDialog dialog(parent);
  configure(dialog, setup);
  const std::optional<QString> chosen = runner_(dialog);
  if (!chosen || chosen->isEmpty()) return std::nullopt;
  return toSystemText(*chosen);
}

}  // namespace brimwell::gui
