// Operation feedback through the window: status line, progress, pumping, the notice,
// confirmation and error boxes, and what the handlers do with the template dialogs.
#include <QFileDialog>
#include <fstream>

#include "app/failure.h"
#include "form_fixture.h"
#include "modal_watch.h"
#include "support/hard_trees.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

using WindowFeedback = FormTest;

gui::TemplateDialog::Runner answer(std::optional<QString> name) {
  return [name](QFileDialog&) { return name; };
}

TEST_F(WindowFeedback, StatusAndProgressShowWhatTheOperationSets) {
  Feedback& feedback = form->feedback();
  feedback.setStatus("Analyzing the location...");
  EXPECT_EQ(form->analysestatus->text(), "Analyzing the location...");
  const std::pair<int, int> shown[] = {{50, 50}, {-5, 0}, {100, 100}, {150, 100}, {0, 0}};
  for (const auto& [set, expected] : shown) {
    feedback.setProgress(set);
    EXPECT_EQ(form->Progress->value(), expected) << set;
  }
}

TEST_F(WindowFeedback, PumpRunsPendingEventsAndNeverDropsOne) {
  Feedback& feedback = form->feedback();
  int ran = 0;
  QTimer::singleShot(0, form.get(), [&] { ++ran; });
  feedback.setStatus("Reproducing folder structure...");
  feedback.pump();
  EXPECT_EQ(ran, 1);
  // A pump right after another may leave the event for later, but after the next change
  // of the status line it runs.
  QTimer::singleShot(0, form.get(), [&] { ++ran; });
  feedback.pump();
  feedback.setStatus("Done.");
  feedback.pump();
  EXPECT_EQ(ran, 2);
}

TEST_F(WindowFeedback, NoticeHasTheTitleNoIconAndOneOk) {
  ModalWatch watch;
  form->feedback().notice("The list is empty!");
  ASSERT_EQ(watch.seen.size(), 1u);
  EXPECT_EQ(watch.seen[0].title, "Brimwell");
  EXPECT_EQ(watch.seen[0].text, "The list is empty!");
  EXPECT_EQ(watch.seen[0].icon, QMessageBox::NoIcon);
  EXPECT_EQ(watch.seen[0].buttons, QStringList{"OK"});
}

TEST_F(WindowFeedback, ConfirmGoesAheadOnlyOnOk) {
  {
    ModalWatch watch(ModalWatch::pressKey(Qt::Key_Return));
    EXPECT_TRUE(form->feedback().confirm("Erasing 3 files from the disk. Proceed now?"));
    ASSERT_EQ(watch.seen.size(), 1u);
    EXPECT_EQ(watch.seen[0].title, "Confirm");
    EXPECT_EQ(watch.seen[0].text, "Erasing 3 files from the disk. Proceed now?");
    EXPECT_EQ(watch.seen[0].icon, QMessageBox::Question);
    EXPECT_EQ(watch.seen[0].buttons, (QStringList{"OK", "Cancel"}));
    EXPECT_EQ(watch.seen[0].defaultButton, "OK");
  }
  {
    ModalWatch watch(ModalWatch::pressKey(Qt::Key_Escape));
    EXPECT_FALSE(form->feedback().confirm("Proceed now?"));
  }
  {
    ModalWatch watch(ModalWatch::clickButton("Cancel"));
    EXPECT_FALSE(form->feedback().confirm("Proceed now?"));
  }
  {
    ModalWatch watch(ModalWatch::closeBox());
    EXPECT_FALSE(form->feedback().confirm("Proceed now?"));
  }
  {
    ModalWatch watch(ModalWatch::clickButton("OK"));
    EXPECT_TRUE(form->feedback().confirm("Proceed now?"));
  }
}

TEST_F(WindowFeedback, AFailureInAHandlerShowsTheErrorBoxAndTheWindowStaysUsable) {
  form->feedback().setStatus("Analyzing the location...");
  {
    ModalWatch watch;
    form->runHandler([](Context& context) {
      context.feedback.setProgress(40);
      throw Failure("'abc' is not a valid integer value");
    });
    ASSERT_EQ(watch.seen.size(), 1u);
    EXPECT_EQ(watch.seen[0].title, "Brimwell");
    EXPECT_EQ(watch.seen[0].text, "'abc' is not a valid integer value.");
    EXPECT_EQ(watch.seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(watch.seen[0].buttons, QStringList{"OK"});
  }
  EXPECT_EQ(form->analysestatus->text(), "Analyzing the location...");
  EXPECT_EQ(form->Progress->value(), 40);
  EXPECT_FALSE(form->operationRunning());
  EXPECT_TRUE(form->isVisible());

  ModalWatch watch;
  form->runHandler([](Context&) { throw Failure("List index out of bounds (0)"); });
  EXPECT_EQ(watch.texts(), QStringList{"List index out of bounds (0)"}) << "no full stop after )";
}

TEST_F(WindowFeedback, LoadingAMissingFileShowsFileNotFoundAndLeavesTheListEmpty) {
  TempDir dir;
  form->OpenDialog1.setRunner(answer(QString::fromStdString(dir / "missing.fs")));
  ModalWatch watch;
  form->Load1Click();
  EXPECT_EQ(watch.texts(), QStringList{"File not found."});
  ASSERT_EQ(watch.seen.size(), 1u);
  EXPECT_EQ(watch.seen[0].icon, QMessageBox::Critical);
  QApplication::processEvents();
  EXPECT_EQ(form->sizes->model()->rowCount(), 0);
}

TEST_F(WindowFeedback, APipeIsNeitherLoadedNorSavedToButRefusedAsAccessDeniedAtOnce) {
  TempDir dir;
  makeFifo(dir / "pipe.fs");
  const PipeGuard guard(dir / "pipe.fs");
  const QString pipe = QString::fromStdString(dir / "pipe.fs");
  form->OpenDialog1.setRunner(answer(pipe));
  form->SaveDialog1.setRunner(answer(pipe));
  ModalWatch watch;
  form->Load1Click();
  form->Save1Click();
  EXPECT_EQ(watch.texts(), (QStringList{"File access denied.", "File access denied."}));
}

TEST_F(WindowFeedback, TemplateDialogsLoadSaveAndCancelThroughTheHandlers) {
  TempDir dir;
  dir.writeFile("in.fs", "4096\t120\r\n");
  const QString in = QString::fromStdString(dir / "in.fs");
  const QString out = QString::fromStdString(dir / "out.fs");
  form->feedback().setStatus("before");
  form->OpenDialog1.setRunner(answer(in));
  form->Load1->trigger();
  QApplication::processEvents();
  QAbstractItemModel& model = *form->sizes->model();
  ASSERT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), "4096");
  EXPECT_EQ(model.data(model.index(0, 2)).toString(),
            "100" + QString::fromStdString(form->decimalSeparator()) + "00");
  EXPECT_EQ(form->analysestatus->text(), "");

  // Cancelling either dialog changes nothing, not even the table.
  ModalWatch watch;
  form->feedback().setStatus("kept");
  form->OpenDialog1.setRunner(answer(std::nullopt));
  form->sizeload->click();
  form->SaveDialog1.setRunner(answer(std::nullopt));
  form->Save1->trigger();
  QApplication::processEvents();
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(form->workspace().sizes.caption(0), "4096");
  EXPECT_EQ(form->analysestatus->text(), "kept");
  EXPECT_FALSE(QFile::exists(out));
  EXPECT_TRUE(watch.seen.empty());

  // Each dialog opens with the name last chosen in it.
  QString offered;
  form->OpenDialog1.setRunner([&](QFileDialog& dialog) -> std::optional<QString> {
    offered = dialog.selectedFiles().value(0);
    return std::nullopt;
  });
  form->Load1Click();
  EXPECT_EQ(offered, in);

  form->SaveDialog1.setRunner(answer(out));
  form->sizesave->click();
  EXPECT_EQ(dir.readFile("out.fs"), "4096\t120\r\n");
  EXPECT_TRUE(watch.seen.empty());
}

TEST_F(WindowFeedback, AClickDuringAnOperationIsIgnoredAndACloseWaitsForItsEnd) {
  ModalWatch watch;
  bool nestedRan = false;
  form->runHandler([&](Context& context) {
    form->analyse->click();
    form->runHandler([&](Context&) { nestedRan = true; });
    EXPECT_FALSE(form->close());
    context.feedback.pump();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->operationRunning());
  });
  EXPECT_FALSE(nestedRan);
  EXPECT_TRUE(watch.seen.empty()) << "the census did not start";
  EXPECT_FALSE(form->isVisible()) << "the window closed once the operation returned";
}

TEST_F(WindowFeedback, EraseKeepsDoneInTheStatusLineAndTellsOfFilesLeftBehind) {
  TempDir dir;
  dir.writeFile("a.DAT", "x");
  TextTable& files1 = form->workspace().files1;
  for (const std::string& path : {dir / "a.DAT", dir / "missing.DAT"}) {
    files1.addSubCell(files1.addRow(path), "1");
  }
  ModalWatch watch;
  form->del2->click();
  EXPECT_EQ(watch.texts(), QStringList{"Erasing 2 files from the disk. Proceed now?"});
  EXPECT_EQ(form->analysestatus->text(), "Done.");
  EXPECT_TRUE(form->analysestatus->toolTip().startsWith("1 listed file"));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir / "a.DAT")));
  form->feedback().setStatus("next");
  EXPECT_TRUE(form->analysestatus->toolTip().isEmpty());
}

}  // namespace
}  // namespace brimwell::testing
