// Where the template dialogs open: in the folder of the bundled templates the first time
// (never in the working folder), which is also in the sidebar, then where the last name was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QUrl>

#include "form/template_dialogs.h"
#include "gui/template_dialogs.h"
#include "platform/bundled_template_folder.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

TEST(TemplateDialogFolder, OpensInTheBundledTemplatesFirstThenWhereTheLastChosenFileIs) {
  const TempDir chosen;
  // Run from the build folder, the source tree's templates.
  const QString templates = QDir(QString::fromStdString(bundledTemplateFolder())).canonicalPath();
  ASSERT_TRUE(QDir(templates).exists(QStringLiteral("default.fs")));
  ASSERT_NE(QDir::current().canonicalPath(), templates);

  form::TemplateDialogs dialogs(form::bundledTemplateFolderName());
  for (const auto kind : {form::DialogKind::Load, form::DialogKind::Save}) {
    gui::TemplateDialog templateDialog;
    QFileDialog first;
    gui::TemplateDialog::configure(first, dialogs.setup(kind));
    EXPECT_EQ(first.directory().canonicalPath(), templates);
    EXPECT_TRUE(first.sidebarUrls().contains(QUrl::fromLocalFile(templates)));

    const QString name = QString::fromStdString(chosen / "mine.fs");
    templateDialog.setRunner([name](QFileDialog&) { return std::optional<QString>(name); });
    const auto chosenName = templateDialog.choose(nullptr, dialogs.setup(kind));
    ASSERT_EQ(chosenName, name.toStdString());
    dialogs.chosen(kind, chosenName);
    QFileDialog again;
    gui::TemplateDialog::configure(again, dialogs.setup(kind));
    EXPECT_EQ(again.directory().canonicalPath(),
              QDir(QString::fromStdString(chosen.path())).canonicalPath());
  }
}

}  // namespace
}  // namespace brimwell::testing
