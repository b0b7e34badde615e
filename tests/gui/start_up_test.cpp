// `Brimwell FILE.fs`: the template loads into the first page as the load button loads it,
// with the same messages for a file it cannot read; more arguments are refused. The window
// carries the program's icon and its menu entry's name.
#include <QProcess>

#include "form/start_arguments.h"
#include "form_fixture.h"
#include "gui/window_identity.h"
#include "modal_watch.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

using StartUp = FormTest;

TEST_F(StartUp, ATemplateNamedOnTheCommandLineLoadsAsTheLoadButtonLoadsIt) {
  TempDir dir;
  dir.writeFile("sizes.fs", "4096\t120\r\n");
  dir.writeFile("notes.fs", "shopping list\r\n");
  const std::string given[] = {dir / "sizes.fs"};
  const auto start = form::readStartArguments(given);
  ASSERT_TRUE(start.templateFile && start.refusal.empty());

  ModalWatch watch;
  form->core().openTemplateFile(*start.templateFile);
  EXPECT_EQ(form->workspace().sizes.caption(0), "4096");
  EXPECT_EQ(form->workspace().sizes.subCell(0, 1), "100" + form->decimalSeparator() + "00");
  form->core().openTemplateFile(dir / "notes.fs");
  form->core().openTemplateFile(dir / "missing.fs");
  EXPECT_EQ(watch.texts(),
            (QStringList{"'shopping list' is not a valid integer value.", "File not found."}));
  EXPECT_EQ(form->workspace().sizes.rowCount(), 0u);
}

TEST(StartArguments, MoreThanOneFileOrAnotherOptionIsRefusedBeforeTheWindowOpens) {
  const std::string help[] = {"--help"};
  const std::string zap[] = {"--zap"};
  EXPECT_TRUE(form::readStartArguments(help).help);
  EXPECT_FALSE(form::readStartArguments({}).templateFile);
  EXPECT_FALSE(form::readStartArguments(zap).refusal.empty());
  QProcess program;
  program.start(QStringLiteral(BRIMWELL_EXECUTABLE), {"-platform", "offscreen", "a.fs", "b.fs"});
  ASSERT_TRUE(program.waitForFinished(30000));
  EXPECT_EQ(program.exitCode(), 2);
  EXPECT_TRUE(program.readAllStandardError().contains(
      "Brimwell: give one size template (.fs) to open, not 2 arguments\nUsage: Brimwell"));
}

TEST_F(StartUp, TheWindowCarriesTheProgramsIconAtEverySizeAndItsMenuEntrysName) {
  gui::setWindowIdentity();
  const QList<QSize> sizes = form->windowIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256))) << sizes.size();
  EXPECT_EQ(QGuiApplication::desktopFileName(), "org.brimwell.Brimwell");
}

}  // namespace
}  // namespace brimwell::testing
