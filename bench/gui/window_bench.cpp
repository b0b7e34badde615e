// The window's costs (offscreen platform, or X11 under xvfb-run): a pump (the census pumps once per
// directory entry), a progress update, and showing a file list of a million entries.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <memory>
#include <string>

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

int main(int argc, char** argv) {
  // Offscreen unless a display is given (xvfb-run measures the X11 platform).
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  auto shown = std::make_unique<brimwell::gui::TForm1>();
  window = shown.get();
  shown->show();
  shown->PageControl1->setCurrentWidget(shown->TabSheet2);
  QCoreApplication::processEvents();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  shown.reset();
  benchmark::Shutdown();
  return 0;
}
