// The buttons of both pages run their operations on the window's lists and fields, the
// whole road from a census to the fragmented drive.
#include <filesystem>

#include "form_fixture.h"
#include "modal_watch.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

using Handlers = FormTest;

std::size_t filesUnder(const std::string& folder) {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) ++count;
  }
  return count;
}

TEST_F(Handlers, TheButtonsRunCensusBuildReproductionAndFragmentation) {
  TempDir dir;
  dir.writeFile("sizes.fs", "150\t0\tsmall\r\n1000\t0\r\n");
  dir.writeFile("census/sub/a", std::string(100, 'a'));
  dir.writeFile("census/sub/b", std::string(200, 'b'));
  dir.writeFile("census/sub/c", std::string(300, 'c'));
  std::filesystem::create_directory(dir / "target");
  ModalWatch watch;  // answers every question with OK

  form->OpenDialog1.setRunner(
      [&](QFileDialog&) { return QString::fromStdString(dir / "sizes.fs"); });
  form->sizeload->click();
  typeInto(*form->scanpath, QString::fromStdString(dir / "census"));
  form->analyse->click();
  EXPECT_EQ(form->analysestatus->text(),
            "Total files: 3, total folders: 1, total size: 600, avg size: 200.");
  EXPECT_EQ(form->workspace().sizes.subCell(0, 0), "1");
  EXPECT_EQ(form->workspace().sizes.subCell(1, 0), "2");

  form->PageControl1->setCurrentWidget(form->TabSheet2);
  typeInto(*form->SpinEdit1, "20");
  typeInto(*form->SpinEdit2, "5");
  typeInto(*form->reprodpath, QString::fromStdString(dir / "target") + "/");
  form->build->click();
  QApplication::processEvents();
  EXPECT_EQ(form->files1->model()->rowCount(), 20);
  EXPECT_EQ(form->workspace().files.rowCount(), 0u) << "the folder list is emptied again";

  form->reproduce->click();
  EXPECT_EQ(form->analysestatus->text(), "Done.");
  EXPECT_EQ(filesUnder(dir / "target"), 20u);

  typeInto(*form->delprocent, "50");
  form->del1->click();
  QApplication::processEvents();
  EXPECT_EQ(form->files1->model()->rowCount(), 10);

  form->del2->click();
  QApplication::processEvents();
  EXPECT_EQ(form->files1->model()->rowCount(), 0);
  EXPECT_EQ(form->analysestatus->text(), "Done.");
  EXPECT_TRUE(form->analysestatus->toolTip().isEmpty()) << "every listed file was deleted";
  EXPECT_EQ(filesUnder(dir / "target"), 10u);

  QStringList questions;
  for (const SeenBox& box : watch.seen) {
    EXPECT_EQ(box.title, "Confirm") << box.text.toStdString();
    questions << box.text.section(' ', 0, 0);
  }
  EXPECT_EQ(questions, (QStringList{"Total", "Removing", "Erasing"}));
}

TEST_F(Handlers, BuildShowsTheNoticeForATemplateItCannotModelAndBuildsNothing) {
  TempDir dir;
  dir.writeFile("falling.fs", "4096\t5\r\n512\t5\r\n");
  ModalWatch watch;
  form->OpenDialog1.setRunner(
      [&](QFileDialog&) { return QString::fromStdString(dir / "falling.fs"); });
  form->sizeload->click();
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  form->build->click();
  QApplication::processEvents();
  ASSERT_EQ(watch.seen.size(), 1u);
  EXPECT_TRUE(watch.seen[0].text.contains("row 2 (threshold 512) is below the threshold before it"))
      << watch.seen[0].text.toStdString();
  EXPECT_EQ(form->files1->model()->rowCount(), 0);
}

}  // namespace
}  // namespace brimwell::testing
