// The handlers and how they run, through a view without a window: the road from a template
// to the fragmented drive, failures in the error box, one operation at a time, the stop on
// close.
#include <gtest/gtest.h>

#include <filesystem>

#include "form/main_form.h"
#include "form/start_arguments.h"
#include "scripted_view.h"
#include "support/stepped_clock.h"
#include "support/temp_dir.h"

namespace brimwell::testing {
namespace {

namespace stdfs = std::filesystem;

struct MainForm : ::testing::Test {
  ScriptedView view;
  SteppedClock clock;
  form::MainForm form{view, "Brimwell", clock};
  TempDir dir;

  void SetUp() override { form.FormCreate(); }
  void listFiles(int count) {
    TextTable& files1 = form.workspace().files1;
    for (int i = 1; i <= count; ++i) {
      files1.addSubCell(files1.addRow(dir / ("w/f" + std::to_string(i) + ".DAT")), "100");
    }
  }
};

TEST_F(MainForm, TheHandlersRunTheWholeRoadOnTheViewsFields) {
  dir.writeFile("sizes.fs", "150\t1\r\n1000\t1\r\n");
  view.chosenFile = dir / "sizes.fs";
  form.Load1Click();
  view.field(SpinField::SpinEdit1) = " 12";
  view.field(SpinField::SpinEdit2) = "3";
  view.field(EditField::reprodpath) = dir / "t/";
  form.buildClick();
  EXPECT_EQ(form.workspace().files1.rowCount(), 12u);
  form.reproduceClick();
  EXPECT_EQ(view.status, "Done.");
  view.field(SpinField::delprocent) = "50";
  form.del1Click();
  EXPECT_EQ(form.workspace().files1.rowCount(), 6u);
  form.del2Click();
  EXPECT_EQ(form.workspace().files1.rowCount(), 0u);
  EXPECT_EQ(view.statusTip, "");
  std::size_t left = 0;
  for (const auto& entry : stdfs::recursive_directory_iterator(dir / "t"))
    left += entry.is_regular_file();
  EXPECT_EQ(left, 6u);
  ASSERT_EQ(view.boxes.size(), 3u);
  EXPECT_EQ(view.titles, (std::vector<std::string>(3, "Confirm")));
  EXPECT_GT(view.eventRuns, 0);
}

TEST_F(MainForm, AFailureShowsTheErrorBoxWithTheFullStopAndTheFormGoesOn) {
  view.field(SpinField::SpinEdit1) = "";
  EXPECT_EQ(form.value(SpinField::SpinEdit1), 1)
      << "a text that does not parse reads as the minimum";
  form.workspace().sizes.addSubCell(form.workspace().sizes.addRow("abc"), "1");
  form.buildClick();
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0], "error: 'abc' is not a valid integer value.");
  EXPECT_EQ(view.titles[0], "Brimwell");
  EXPECT_FALSE(form.operationRunning());
  view.chosenFile = dir / "missing.fs";
  form.Load1Click();
  EXPECT_EQ(view.boxes.back(), "error: File not found.");
}

TEST_F(MainForm, AClickWhileOneRunsIsIgnoredAndACloseWaitsForItsEnd) {
  bool nestedRan = false;
  EXPECT_TRUE(form.closeAsked()) << "nothing runs: the window may close";
  form.runHandler([&](Context&) {
    form.runHandler([&](Context&) { nestedRan = true; });
    EXPECT_FALSE(form.closeAsked());
    EXPECT_FALSE(view.closed);
  });
  EXPECT_FALSE(nestedRan);
  EXPECT_TRUE(view.closed) << "closed once the operation returned";
}

TEST_F(MainForm, ACloseStopsTheWriterAfterItsFileAndTheWindowStays) {
  listFiles(3);
  form.feedback().setKeepAliveSpacing(0);
  view.duringEvents = [&] { view.duringEvents = [&] { EXPECT_FALSE(form.closeAsked()); }; };
  form.reproduceClick();
  EXPECT_EQ(view.status, "Stopped.");
  EXPECT_FALSE(view.closed);
  EXPECT_TRUE(stdfs::exists(dir / "w/f1.DAT"));
  EXPECT_FALSE(stdfs::exists(dir / "w/f3.DAT"));
}

TEST_F(MainForm, EraseTellsOfFilesLeftBehindInTheStatusTip) {
  listFiles(2);
  form.del2Click();
  EXPECT_EQ(view.status, "Done.");
  EXPECT_EQ(view.statusTip,
            "2 listed file(s) could not be deleted (missing, locked or read-only).");
  form.feedback().setStatus("next");
  EXPECT_EQ(view.statusTip, "");
}

TEST_F(MainForm, ProgressIsClampedAndPumpsInQuickSuccessionAreSkipped) {
  form.feedback().setProgress(150);
  EXPECT_EQ(view.progress, 100);
  form.feedback().setProgress(-5);
  EXPECT_EQ(view.progress, 0);
  form.feedback().pump();
  const int before = view.eventRuns;
  for (int i = 0; i < 1000; ++i) form.feedback().pump();
  const auto spacing = std::chrono::nanoseconds(form::FormFeedback::kPumpSpacingNs);
  clock.advance(std::chrono::duration_cast<std::chrono::milliseconds>(spacing) -
                std::chrono::milliseconds(1));
  form.feedback().pump();
  EXPECT_EQ(view.eventRuns, before) << "within the spacing nothing changed: skipped";
  form.feedback().setStatus("Done.");
  form.feedback().pump();
  EXPECT_EQ(view.eventRuns, before + 1) << "a change of the status line is always painted";
  clock.advance(std::chrono::duration_cast<std::chrono::milliseconds>(spacing));
  form.feedback().pump();
  EXPECT_EQ(view.eventRuns, before + 2) << "once the spacing has passed";
}

TEST_F(MainForm, ComponentsRunTheirHandlersByNameAndTheDialogsRememberTheLastChoice) {
  dir.writeFile("sizes.fs", "150\t1\r\n");
  view.chosenFile = dir / "sizes.fs";
  EXPECT_TRUE(form.click("sizeload"));
  EXPECT_EQ(form.workspace().sizes.rowCount(), 1u);
  view.chosenFile = dir / "out.fs";
  EXPECT_TRUE(form.click("Save1"));
  EXPECT_EQ(dir.readFile("out.fs"), "150\t1\r\n");
  EXPECT_FALSE(form.click("Label1")) << "a component without a handler";
  EXPECT_FALSE(form.click("nothing"));
  view.chosenFile.reset();
  EXPECT_TRUE(form.click("Load1"));

  ASSERT_EQ(view.dialogs.size(), 3u);
  const form::DialogSetup& first = view.dialogs[0];
  EXPECT_STREQ(first.title, "Load file sizes");
  EXPECT_EQ(first.folder, first.bundledFolder) << "the first time, the bundled templates";
  EXPECT_EQ(first.lastName, "");
  EXPECT_STREQ(view.dialogs[1].title, "Save file sizes");
  EXPECT_EQ(view.dialogs[1].lastName, "") << "each dialog remembers its own";
  EXPECT_EQ(view.dialogs[2].lastName, dir / "sizes.fs");
  EXPECT_EQ(view.dialogs[2].folder, "");
  EXPECT_EQ(form.workspace().sizes.rowCount(), 1u) << "a cancelled load changes nothing";
}

TEST_F(MainForm, ATemplateNamedAtTheStartLoadsWithoutADialogAndOnlyOnce) {
  dir.writeFile("sizes.fs", "4096\t120\r\n");
  const std::string given[] = {dir / "sizes.fs"};
  const form::StartArguments start = form::readStartArguments(given);
  ASSERT_TRUE(start.templateFile);
  form.openTemplateFile(*start.templateFile);
  EXPECT_EQ(form.workspace().sizes.caption(0), "4096");
  EXPECT_TRUE(view.dialogs.empty());
  // Not taken while another operation runs, and not left to answer a later load.
  form.runHandler([&](Context&) { form.openTemplateFile(dir / "missing.fs"); });
  form.Load1Click();
  ASSERT_EQ(view.dialogs.size(), 1u);
  EXPECT_EQ(view.dialogs[0].lastName, dir / "sizes.fs");

  const std::string two[] = {"a.fs", "b.fs"};
  EXPECT_EQ(form::readStartArguments(two).refusal,
            "give one size template (.fs) to open, not 2 arguments");
  const std::string option[] = {"-x"};
  EXPECT_EQ(form::readStartArguments(option).refusal, "unknown option '-x'");
  EXPECT_TRUE(form::startUsage("").starts_with("Usage: Brimwell [FILE.fs]\n"));
  EXPECT_TRUE(form::startUsage("Qt options").starts_with("Usage: Brimwell [Qt options] [FILE.fs]"));
}

}  // namespace
}  // namespace brimwell::testing
