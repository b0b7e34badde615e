#include "gui/template_dialogs.h"

#include <QDir>
#include <QUrl>
#include <utility>

#include "census/bundled_template_folder.h"
#include "gui/system_text.h"

namespace brimwell::gui {
namespace {

std::optional<QString> execDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front();
}

// The bundled templates' folder; empty when this program has none.
QString bundledTemplates() {
  const std::filesystem::path folder = census::bundledTemplateFolder();
  return folder.empty() ? QString() : QString::fromStdString(folder.string());
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
  // The first time, where the templates that come with the program are (rather than the
  // working folder, which is anywhere); then where the last choice ended.
  const QString templates = bundledTemplates();
  if (!templates.isEmpty()) {
    QList<QUrl> sidebar = dialog.sidebarUrls();
    sidebar.append(QUrl::fromLocalFile(templates));
    dialog.setSidebarUrls(sidebar);
  }
  if (lastName_.isEmpty()) {
    dialog.setDirectory(templates.isEmpty() ? QDir::homePath() : templates);
  } else {
    dialog.selectFile(lastName_);
  }
}

std::optional<std::string> TemplateDialog::choose(QWidget* parent) {
  std::optional<QString> chosen;
  if (nextAnswer_) {
    chosen = std::exchange(nextAnswer_, std::nullopt);
  } else {
    QFileDialog dialog(parent);
    configure(dialog);
    chosen = runner_(dialog);
  }
  if (!chosen || chosen->isEmpty()) return std::nullopt;
  lastName_ = *chosen;
  return toSystemText(*chosen);
}

}  // namespace brimwell::gui
