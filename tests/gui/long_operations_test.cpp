// The writer and the erase keep the window alive between files, and closing the window
// stops them after the file they are on, leaving the window open to say so.
#include <QTimer>
#include <filesystem>

#include "form_fixture.h"
#include "modal_watch.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

using LongOperations = FormTest;
namespace stdfs = std::filesystem;

// Lists `count` files of `size` bytes under `dir`.
void listFiles(gui::TForm1& form, const TempDir& dir, int count, int size) {
  TextTable& files1 = form.workspace().files1;
  for (int i = 1; i <= count; ++i) {
    files1.addSubCell(files1.addRow(dir / ("w/f" + std::to_string(i) + ".DAT")),
                      std::to_string(size));
  }
  QApplication::processEvents();
}

// Answers the question with OK and closes the window as soon as events run again.
ModalWatch::Answer okThenClose(gui::TForm1& form) {
  return [&form](QMessageBox& box) {
    QTimer::singleShot(0, &form, [&form] { form.close(); });
    ModalWatch::pressKey(Qt::Key_Return)(box);
  };
}

TEST_F(LongOperations, ClosingStopsTheWriterAfterTheFileItIsOn) {
  TempDir dir;
  listFiles(*form, dir, 4, 5000);
  ModalWatch watch(okThenClose(*form));
  form->reproduce->click();
  EXPECT_EQ(watch.seen.size(), 1u);
  EXPECT_EQ(form->analysestatus->text(), "Stopped.");
  EXPECT_EQ(form->Progress->value(), 0);
  EXPECT_TRUE(form->isVisible()) << "the window stays to show where the run stopped";
  EXPECT_EQ(form->workspace().files1.rowCount(), 4u);
  // The first file whole, nothing begun after it.
  EXPECT_EQ(stdfs::file_size(dir / "w/f1.DAT"), 5000u);
  EXPECT_FALSE(stdfs::exists(dir / "w/f2.DAT"));
  // With nothing running, a close closes.
  EXPECT_TRUE(form->close());
}

TEST_F(LongOperations, ClosingStopsTheEraseAndTheListStaysAsItIs) {
  TempDir dir;
  for (int i = 1; i <= 3; ++i) dir.writeFile("w/f" + std::to_string(i) + ".DAT", "x");
  listFiles(*form, dir, 3, 1);
  ModalWatch watch(okThenClose(*form));
  form->del2->click();
  EXPECT_EQ(form->analysestatus->text(), "Stopped.");
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->workspace().files1.rowCount(), 3u);
  EXPECT_FALSE(stdfs::exists(dir / "w/f1.DAT"));
  EXPECT_TRUE(stdfs::exists(dir / "w/f2.DAT"));
  EXPECT_TRUE(stdfs::exists(dir / "w/f3.DAT"));
}

TEST_F(LongOperations, TheWindowHandlesItsEventsBetweenFilesAtMostEveryHundredMs) {
  TempDir dir;
  listFiles(*form, dir, 4, 10);
  // Every file's turn pumps here, so the bar is seen moving while the writer runs.
  form->feedback().setKeepAliveSpacing(0);
  QList<int> seen;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] { seen << form->Progress->value(); });
  watcher.start(0);
  ModalWatch watch;
  form->reproduce->click();
  watcher.stop();
  EXPECT_TRUE(seen.contains(25) && seen.contains(50) && seen.contains(75)) << seen.size();
  EXPECT_EQ(form->analysestatus->text(), "Done.");

  // At the normal spacing, calls within it do not reach the event loop; the first after it does.
  form->feedback().setKeepAliveSpacing(gui::WindowFeedback::kKeepAliveSpacingMs);
  form->feedback().pump();
  const long long before = form->feedback().pumpsRun();
  for (int i = 0; i < 1000; ++i) EXPECT_TRUE(form->feedback().carryOn());
  clock.advance(std::chrono::milliseconds(gui::WindowFeedback::kKeepAliveSpacingMs - 1));
  EXPECT_TRUE(form->feedback().carryOn());
  EXPECT_EQ(form->feedback().pumpsRun(), before);
  clock.advance(std::chrono::milliseconds(1));
  EXPECT_TRUE(form->feedback().carryOn());
  EXPECT_EQ(form->feedback().pumpsRun(), before + 1);
}

}  // namespace
}  // namespace brimwell::testing
