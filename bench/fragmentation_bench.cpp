// The sort-out pass on a million-entry file list at the default 15 %: the removals are
// picked with a tree of counts and the list is compacted once.
#include <benchmark/benchmark.h>

#include <string>

#include "diskops/fragmentation.h"
#include "writer_run_support.h"

namespace {

using namespace brimwell;

TextTable millionEntries() {
  TextTable table(2);
  table.reserve(1000000, 1000000 * 48);
  std::string path;
  for (int n = 1; n <= 1000000; ++n) {
    std::string serial = std::to_string(n);
    serial.insert(0, 8 - serial.size(), '0');
    path = "d:\\Windows emul\\" + std::string(8, static_cast<char>('a' + n % 26)) + "\\001-" +
           serial + ".DAT";
    const std::size_t row = table.addRow(path);
    table.addSubCell(row, std::to_string(n % 300000));
  }
  return table;
}

void BM_SortOutMillionAt15Percent(benchmark::State& state) {
  const TextTable full = millionEntries();
  bench::Run run;
  run.fields.setValue(SpinField::delprocent, 15);
  for (auto _ : state) {
    state.PauseTiming();
    run.lists.files1 = full;
    state.ResumeTiming();
    Context context = run.context();
    diskops::sortOut(context);
    if (run.lists.files1.rowCount() != 150000) state.SkipWithError("wrong number kept");
  }
}
BENCHMARK(BM_SortOutMillionAt15Percent)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
