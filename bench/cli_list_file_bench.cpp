// What the command line adds to a build: writing (and reading back) the file list of a
// 1,000,000-file build, next to the build itself.
//
//   cli_list_file_bench [benchmark flags]
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/context.h"
#include "census/size_template.h"
#include "fileset/builder.h"
#include "joblist/list_file.h"
#include "platform/posix_file_system.h"
#include "silent_feedback.h"

namespace {

using namespace brimwell;
using bench::SilentFeedback;

// A template of desktop-like shape: many small files, a few large ones.
constexpr const char* kTemplate =
    "512\t25933\n1024\t19628\n2048\t28836\n4096\t23325\n8192\t16441\n16384\t13092\n"
    "32768\t9907\n65536\t5863\n131072\t3872\n262144\t2054\n524288\t948\n1048576\t555\n"
    "2097152\t320\n4194304\t198\n8388608\t92\n16777216\t57\n";

struct MillionFileBuild {
  MillionFileBuild()
      : collation(userCollation()),
        context{lists, fields, feedback, fs, random, *collation, PathStyle::native(), "."} {
    census::readTemplate(kTemplate, lists.sizes);
    fields.setValue(SpinField::SpinEdit1, 1000000);
    fields.setValue(SpinField::SpinEdit2, 30000);
    fields.setText(EditField::reprodpath, "/mnt/scratch/");
  }
  void build(std::uint32_t seed) {
    random.setState(seed);
    fileset::build(context);
  }

  Workspace lists;
  FieldValues fields;
  SilentFeedback feedback;
  PosixFileSystem fs;
  RandomSource random;
  std::unique_ptr<Collation> collation;
  Context context;
};

std::string listPath() {
  return (std::filesystem::temp_directory_path() / "brimwell_cli_bench_list.txt").string();
}

void BM_BuildMillionFiles(benchmark::State& state) {
  MillionFileBuild job;
  for (auto _ : state) job.build(1);
  state.counters["files"] = static_cast<double>(job.lists.files1.rowCount());
}

void BM_WriteMillionFileList(benchmark::State& state) {
  MillionFileBuild job;
  job.build(1);
  for (auto _ : state) joblist::writeFileList(listPath(), job.lists.files1);
  state.counters["MB"] =
      static_cast<double>(std::filesystem::file_size(listPath())) / (1024.0 * 1024.0);
}

void BM_ReadMillionFileList(benchmark::State& state) {
  {
    MillionFileBuild job;
    job.build(1);
    joblist::writeFileList(listPath(), job.lists.files1);
  }
  TextTable files1(2);
  for (auto _ : state) joblist::readFileList(listPath(), files1);
  state.counters["rows"] = static_cast<double>(files1.rowCount());
  std::filesystem::remove(listPath());
}

BENCHMARK(BM_BuildMillionFiles)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteMillionFileList)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadMillionFileList)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
