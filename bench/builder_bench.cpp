// Speed and memory of the file-set builder on the largest list the window allows:
// 1,000,000 files over 30,000 folders, from a 20-row template, with the default roots.
//
//   builder_bench [benchmark flags]
//       BM_Build: the whole build, sizes and locale ordering included.
//       BM_ByteSortBaseline: the same draws making the same paths into one buffer, then
//       std::sort of their string_views by plain byte comparison. The goal is
//       BM_Build <= 1.5 x BM_ByteSortBaseline.
//       BM_BuildUngrouped: the whole build with five long root names that differ only in
//       case, so that files of different folders interleave in the locale order and the
//       list has to be sorted by its keys (the slow path, for comparison).
//       BM_KeySortOnly: that key sort alone, on the captions of a finished build.
//   builder_bench --build-once | --build-once-ungrouped | --baseline-once
//       one build (or one baseline run) and nothing else, to be measured with
//       /usr/bin/time -v for peak memory; prints the time taken and the first path.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/context.h"
#include "fileset/builder.h"
#include "platform/posix_file_system.h"
#include "silent_feedback.h"

namespace {

using namespace brimwell;
using bench::SilentFeedback;

constexpr std::int32_t kFiles = 1000000;
constexpr std::int32_t kFolders = 30000;
constexpr std::uint32_t kSeed = 20261207u;

struct Bench {
  Workspace lists;
  FieldValues fields;
  SilentFeedback feedback;
  PosixFileSystem fs;
  RandomSource random{kSeed};
  std::unique_ptr<Collation> collation = userCollation();
  Context context{lists, fields, feedback, fs, random, *collation, PathStyle::windows(), "."};

  explicit Bench(bool ungrouped = false) {
    if (ungrouped) {
      const char* roots[] = {"Documents and Settings emul", "documents and settings emul",
                             "DOCUMENTS AND SETTINGS EMUL", "Documents And Settings Emul",
                             "documents and Settings emul"};
      for (int r = 0; r < 5; ++r) fields.setText(rootNameField(r), roots[r]);
    }
    fields.setValue(SpinField::SpinEdit1, kFiles);
    fields.setValue(SpinField::SpinEdit2, kFolders);
    // 20 rows, power-of-two thresholds from 512 bytes, counts falling off with size.
    std::int64_t threshold = 512;
    for (int row = 0; row < 20; ++row, threshold *= 2) {
      const auto at = lists.sizes.addRow(std::to_string(threshold));
      lists.sizes.addSubCell(at, std::to_string(5000 / (1 + row) + 37 * row));
      lists.sizes.addSubCell(at, "0");
      lists.sizes.addSubCell(at, "");
    }
  }

  void build() {
    random.setState(kSeed);
    fileset::build(context);
  }
};

// The builder's paths made the plain way: the same draws, captions back to back in one
// buffer, then a byte-order sort of views on them.
struct Baseline {
  std::string text;
  std::vector<std::size_t> ends;
  std::vector<std::string_view> views;

  void run() {
    std::uint32_t state = kSeed;
    const auto draw = [&state](std::uint32_t n) {
      state = state * 134775813u + 1u;
      return static_cast<std::uint32_t>((std::uint64_t{state} * n) >> 32);
    };
    const char* roots[] = {"Windows emul", "Program Files emul", "Documents and Settings emul",
                           "My Downloads emul", "RECYCLED emul"};
    const std::uint32_t depths[] = {3, 6, 8, 0, 1};
    std::vector<std::string> folders;
    for (int k = 0; k < kFolders; ++k) {
      const std::uint32_t r = draw(5);
      std::string path = std::string("d:\\") + roots[r];
      const std::uint32_t levels = draw(depths[r] + 1);
      for (std::uint32_t level = 0; level < levels; ++level) {
        path += '\\';
        for (int c = 0; c < 8; ++c) path += static_cast<char>('a' + draw(26));
      }
      path += '\\';
      folders.push_back(std::move(path));
    }
    text.clear();
    text.reserve(std::size_t{kFiles} * 64);
    ends.clear();
    ends.reserve(kFiles);
    for (int n = 1; n <= kFiles; ++n) {
      text += folders[draw(kFolders)];
      char name[32];
      std::snprintf(name, sizeof name, "001-%08d.DAT", n);
      text += name;
      ends.push_back(text.size());
    }
    views.clear();
    views.reserve(kFiles);
    std::size_t start = 0;
    for (const std::size_t end : ends) {
      views.emplace_back(text.data() + start, end - start);
      start = end;
    }
    std::sort(views.begin(), views.end());
  }
};

void BM_Build(benchmark::State& state) {
  Bench bench;
  for (auto _ : state) {
    bench.build();
    benchmark::DoNotOptimize(bench.lists.files1.caption(0).data());
  }
}
BENCHMARK(BM_Build)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

void BM_ByteSortBaseline(benchmark::State& state) {
  Baseline baseline;
  for (auto _ : state) {
    baseline.run();
    benchmark::DoNotOptimize(baseline.views.front().data());
  }
}
BENCHMARK(BM_ByteSortBaseline)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

void BM_BuildUngrouped(benchmark::State& state) {
  Bench bench(true);
  for (auto _ : state) {
    bench.build();
    benchmark::DoNotOptimize(bench.lists.files1.caption(0).data());
  }
}
BENCHMARK(BM_BuildUngrouped)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

void BM_KeySortOnly(benchmark::State& state) {
  Bench bench;
  bench.build();
  const TextTable& files = bench.lists.files1;
  for (auto _ : state) {
    auto order = bench.collation->orderAt(files.rowCount(),
                                          [&files](std::size_t row) { return files.caption(row); });
    benchmark::DoNotOptimize(order.data());
  }
}
BENCHMARK(BM_KeySortOnly)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

template <typename Run>
int runOnce(Run run) {
  const auto start = std::chrono::steady_clock::now();
  const std::string first = run();
  const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
  std::printf("%.3f s, first path %s\n", taken.count(), first.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--build-once") == 0) {
    Bench bench;
    return runOnce([&bench] {
      bench.build();
      return std::string(bench.lists.files1.caption(0));
    });
  }
  if (argc == 2 && std::strcmp(argv[1], "--build-once-ungrouped") == 0) {
    Bench bench(true);
    return runOnce([&bench] {
      bench.build();
      return std::string(bench.lists.files1.caption(0));
    });
  }
  if (argc == 2 && std::strcmp(argv[1], "--baseline-once") == 0) {
    Baseline baseline;
    return runOnce([&baseline] {
      baseline.run();
      return std::string(baseline.views.front());
    });
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
