// Where the template dialogs open: in the user's home folder the first time (never in the
// working folder, which may hold the bundled templates), then where the last name was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>

#include "gui/template_dialogs.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

// Sets HOME for one test, and puts it back however the test ends.
class HomeFolder {
 public:
  explicit HomeFolder(const std::string& path) : saved_(qgetenv("HOME")) {
    qputenv("HOME", QByteArray::fromStdString(path));
  }
  ~HomeFolder() { qputenv("HOME", saved_); }

 private:
  QByteArray saved_;
};

TEST(TemplateDialogFolder, OpensInHomeFirstThenWhereTheLastChosenFileIs) {
  const TempDir home;
  const TempDir chosen;
  const HomeFolder homeFolder(home.path());
  const QString homePath = QDir(QString::fromStdString(home.path())).canonicalPath();
  ASSERT_NE(QDir::current().canonicalPath(), homePath);

  for (const auto kind : {gui::TemplateDialog::Kind::Load, gui::TemplateDialog::Kind::Save}) {
    gui::TemplateDialog templateDialog(kind);
    QFileDialog first;
    templateDialog.configure(first);
    EXPECT_EQ(first.directory().canonicalPath(), homePath);

    const QString name = QString::fromStdString(chosen / "mine.fs");
    templateDialog.setRunner([name](QFileDialog&) { return std::optional<QString>(name); });
    ASSERT_EQ(templateDialog.choose(nullptr), name.toStdString());
    QFileDialog again;
    templateDialog.configure(again);
    EXPECT_EQ(again.directory().canonicalPath(),
              QDir(QString::fromStdString(chosen.path())).canonicalPath());
  }
}

}  // namespace
}  // namespace brimwell::testing
