// The window's costs (offscreen platform, or X11 under xvfb-run): a pump (the census pumps once per
// directory entry), a progress update, and showing a file list of a million entries.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "census/size_template.h"
#include "gui/form1.h"

namespace {

// The window, shown on its second page; made and destroyed by main() inside the
// application's lifetime.
brimwell::gui::TForm1* window = nullptr;

brimwell::gui::TForm1& form() { return *window; }

// Pumps in quick succession, as the census does: most return without entering the loop.
void BM_PumpBackToBack(benchmark::State& state) {
  brimwell::Feedback& feedback = form().feedback();
  const long long before = form().feedback().pumpsRun();
  for (auto _ : state) feedback.pump();
  state.counters["run_share"] = static_cast<double>(form().feedback().pumpsRun() - before) /
                                static_cast<double>(state.iterations());
}
BENCHMARK(BM_PumpBackToBack);

// What each of those pumps would cost without the spacing: the event loop with nothing
// pending.
void BM_ProcessEventsIdle(benchmark::State& state) {
  form();
  for (auto _ : state) QCoreApplication::processEvents();
}
BENCHMARK(BM_ProcessEventsIdle);

// A phase change: new status text, then a pump that repaints it.
void BM_StatusAndPump(benchmark::State& state) {
  brimwell::Feedback& feedback = form().feedback();
  std::uint64_t n = 0;
  for (auto _ : state) {
    feedback.setStatus(n++ % 2 == 0 ? "Reproducing folder structure..." : "Done.");
    feedback.pump();
  }
}
BENCHMARK(BM_StatusAndPump);

// The writer sets the progress once per file; the bar moves only 100 times a run.
void BM_SetProgressPerFile(benchmark::State& state) {
  brimwell::Feedback& feedback = form().feedback();
  constexpr int kFiles = 1'000'000;
  int file = 0;
  for (auto _ : state) {
    feedback.setProgress(static_cast<int>(static_cast<long long>(file) * 100 / kFiles));
    file = (file + 1) % kFiles;
  }
}
BENCHMARK(BM_SetProgressPerFile);

// A build's end: the batch over a million entries ends, the list is reset and painted.
void BM_ShowMillionFiles(benchmark::State& state) {
  brimwell::TextTable& files1 = form().workspace().files1;
  for (auto _ : state) {
    state.PauseTiming();
    files1.beginBatch();
    files1.clear();
    files1.reserve(1'000'000, 32'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
      const std::size_t row =
          files1.addRow("d:\\Windows emul\\a\\b\\001-" + std::to_string(i) + ".DAT");
      files1.addSubCell(row, std::to_string(i % 65536));
    }
    state.ResumeTiming();
    files1.endBatch();
    form().files1->repaint();
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_ShowMillionFiles)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

// `--census=TREE --template=FILE [--runs=N]`: the whole census of TREE run by the window's
// own handler, with the window shown and pumping; prints each run's time and the median, to
// set beside `du -s --apparent-size TREE` (bench/census_vs_du.sh does both in one run).
int runWindowCensus(brimwell::gui::TForm1& form, const std::string& tree,
                    const std::string& templateFile, int runs) {
  std::ifstream in(templateFile, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  form.PageControl1->setCurrentWidget(form.TabSheet1);
  form.scanpath->setText(QString::fromStdString(tree));
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    form.workspace().sizes.clear();
    brimwell::census::readTemplate(bytes.str(), form.workspace().sizes);
    const auto start = std::chrono::steady_clock::now();
    form.analyseClick();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    std::printf("run %d: %.1f ms\n", run + 1, times.back());
  }
  std::sort(times.begin(), times.end());
  std::printf("window census median: %.1f ms over %d runs\n", times[times.size() / 2], runs);
  std::printf("status: %s\n", form.analysestatus->text().toStdString().c_str());
  return 0;
}

std::string optionValue(int argc, char** argv, const std::string& name) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind(name + "=", 0) == 0) return argument.substr(name.size() + 1);
  }
  return {};
}

int main(int argc, char** argv) {
  // Offscreen unless a display is given (xvfb-run measures the X11 platform).
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  auto shown = std::make_unique<brimwell::gui::TForm1>();
  window = shown.get();
  shown->show();
  shown->PageControl1->setCurrentWidget(shown->TabSheet2);
  QCoreApplication::processEvents();
  if (const std::string tree = optionValue(argc, argv, "--census"); !tree.empty()) {
    const std::string runs = optionValue(argc, argv, "--runs");
    return runWindowCensus(*shown, tree, optionValue(argc, argv, "--template"),
                           runs.empty() ? 15 : std::stoi(runs));
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  shown.reset();
  benchmark::Shutdown();
  return 0;
}
