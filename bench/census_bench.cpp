// Speed of the census on a tree of files.
//
//   census_bench --census=PATH [--template=FILE] [--save=FILE]
//       runs one whole census of PATH (both walks) with a silent feedback and prints the
//       summary line; this is the command timed against `du` by census_vs_du.sh. With
//       --save the filled template is written to FILE (how templates/ was measured).
//   census_bench --walk-held=PATH
//       runs the census's two walks as the census does (the ordered walk reading ahead
//       while the counting walk runs) and prints what the ordered walk held at most.
//   census_bench --extents=PATH
//       the ordered walk of PATH asking every file's extent count on the pool's threads
//       (open and FS_IOC_FIEMAP, as a measure of the tree would), to be timed against the
//       census of the same tree.
//   census_bench --list-once=PATH
//       a trial of a census that lists once: the counting walk takes its entries from the
//       ordered walk and keeps their sizes, and the classification then runs over those
//       (thresholds of the default rows, counted into plain numbers): what listing once
//       would save, not the census.
//   census_bench --tree=PATH [benchmark flags]
//       times the counting walk, the classifying walk and the whole census of PATH
//       separately (a small generated tree when --tree is not given).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/cell_number.h"
#include "app/context.h"
#include "app/failure.h"
#include "census/census.h"
#include "census/census_walk.h"
#include "census/size_template.h"
#include "platform/posix_file_system.h"
#include "walk/ordered_walk.h"

namespace {

using namespace brimwell;

// Feedback that shows nothing: what is left is the census's own cost.
class SilentFeedback : public Feedback {
 public:
  std::string status;
  void setStatus(std::string_view text) override { status = text; }
  void setProgress(int) override {}
  void pump() override {}
  void notice(std::string_view text) override { status = text; }
  bool confirm(std::string_view) override { return true; }
  std::optional<std::string> chooseTemplateToLoad() override { return std::nullopt; }
  std::optional<std::string> chooseTemplateToSave() override { return std::nullopt; }
};

// Everything one census needs, with a template of power-of-two thresholds unless a
// template file is given.
struct Bench {
  explicit Bench(const std::string& location, const std::string& templateFile = "")
      : collation(userCollation()),
        context{lists, fields, feedback, fs, random, *collation, PathStyle::native(), "."} {
    fields.setText(EditField::scanpath, location);
    if (!templateFile.empty()) {
      census::loadTemplateFile(context, templateFile);
      return;
    }
    const auto addRow = [this](std::int64_t threshold) {
      const std::size_t row = lists.sizes.addRow(std::to_string(threshold));
      lists.sizes.addSubCell(row, "0");
      lists.sizes.addSubCell(row, "0");
      lists.sizes.addSubCell(row, "");
    };
    for (std::int64_t threshold = 512; threshold < 2147483647; threshold *= 2) addRow(threshold);
    addRow(2147483647);
  }

  Workspace lists;
  FieldValues fields;
  SilentFeedback feedback;
  PosixFileSystem fs;
  RandomSource random;
  std::unique_ptr<Collation> collation;
  Context context;
};

std::string& treeFolder() {
  static std::string folder;
  return folder;
}

// `prefix` followed by `number` in decimal.
std::string numbered(const char* prefix, long number) {
  std::string text = prefix;
  text += std::to_string(number);
  return text;
}

// A small tree for a quick run: 40 folders of 50 files of assorted sizes.
std::string makeSmallTree() {
  const auto root =
      std::filesystem::temp_directory_path() / numbered("brimwell-census-bench-", getpid());
  for (int folder = 0; folder < 40; ++folder) {
    const auto dir = root / numbered("f", folder);
    std::filesystem::create_directories(dir);
    for (int file = 0; file < 50; ++file) {
      std::ofstream(dir / numbered("file", file))
          << std::string(static_cast<std::size_t>((file * 977 + folder * 131) % 20000), 'x');
    }
  }
  return root.string();
}

void BM_CountingWalk(benchmark::State& state) {
  Bench bench(treeFolder());
  for (auto _ : state) {
    census::Census census(bench.context);
    census.ScanPass = 0;
    census.ScanFolder(treeFolder());
    benchmark::DoNotOptimize(census.TotalFiles);
    state.counters["files"] = census.TotalFiles;
  }
}

void BM_ClassifyingWalk(benchmark::State& state) {
  Bench bench(treeFolder());
  census::Census census(bench.context);
  census.ScanFolder(treeFolder());  // the counting walk, for the progress bar's total
  for (auto _ : state) {
    census.ScanPass = 1;
    census.FilesDone = 0;
    census.ScanFolder(treeFolder());
    benchmark::DoNotOptimize(census.TotalSize);
  }
}

void BM_WholeCensus(benchmark::State& state) {
  Bench bench(treeFolder());
  for (auto _ : state) census::analyse(bench.context);
  state.SetLabel(bench.feedback.status);
}

BENCHMARK(BM_CountingWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassifyingWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeCensus)->Unit(benchmark::kMillisecond);

// The value of "--name=VALUE" among the arguments, or empty.
std::string option(int argc, char** argv, const std::string& name) {
  const std::string prefix = "--" + name + "=";
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind(prefix, 0) == 0) return argument.substr(prefix.size());
  }
  return {};
}

}  // namespace

// The census's walks, with the ordered walk's figures printed at the end.
int printWalkHeld(const std::string& location) {
  Bench bench(location);
  std::string folder = location;
  if (folder.back() != '/') folder += '/';
  walk::OrderedWalk ahead(bench.fs, folder, '/');
  census::Census census(bench.context);
  census.ScanFolder(location);
  std::uint64_t total = 0;
  for (walk::WalkEntry entry; ahead.next(entry);) total += entry.size;
  const walk::OrderedWalk::Peak peak = ahead.peak();
  std::printf(
      "%d files, %llu bytes; the ordered walk (%zu threads) held at most %zu folders "
      "read ahead and %zu bytes\n",
      census.TotalFiles, static_cast<unsigned long long>(total), ahead.threads(), peak.folders,
      peak.bytes);
  return 0;
}

// Every file's extent count, as the query of a measure would ask it.
class ExtentCount : public walk::FileQuery {
 public:
  std::atomic<std::uint64_t> bytes = 0;
  std::uint64_t ask(const std::string& path, const DirEntry&, std::size_t) override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOATIME);
    if (fd < 0) return 0;
    struct fiemap map {};
    map.fm_length = FIEMAP_MAX_OFFSET;
    map.fm_extent_count = 0;  // count them only
    const int result = ::ioctl(fd, FS_IOC_FIEMAP, &map);
    // The size from the open file: cheaper than the listing's size request by name.
    struct stat st {};
    ::fstat(fd, &st);
    ::close(fd);
    bytes += static_cast<std::uint64_t>(st.st_size);
    return result == 0 ? map.fm_mapped_extents : 0;
  }
};

int printExtents(std::string folder) {
  if (folder.back() != '/') folder += '/';
  PosixFileSystem files;
  ExtentCount query;
  walk::WalkOptions options;
  options.query = &query;
  options.withSizes = false;
  walk::OrderedWalk walk(files, folder, '/', options);
  std::uint64_t fileCount = 0;
  std::uint64_t extents = 0;
  for (walk::WalkEntry entry; walk.next(entry);) {
    if (entry.kind != walk::WalkEntry::Kind::File) continue;
    ++fileCount;
    extents += entry.answer;
  }
  std::printf("%llu files, %llu bytes, %llu extents\n", static_cast<unsigned long long>(fileCount),
              static_cast<unsigned long long>(query.bytes.load()),
              static_cast<unsigned long long>(extents));
  return 0;
}

int listOnce(std::string folder) {
  if (folder.back() != '/') folder += '/';
  Bench bench(folder);
  walk::OrderedWalk walk(bench.fs, folder, '/');
  std::vector<std::uint64_t> sizes;
  std::int64_t folders = 0;
  for (walk::WalkEntry entry; walk.next(entry);) {
    bench.feedback.pump();
    if (entry.kind == walk::WalkEntry::Kind::File) sizes.push_back(entry.size);
    if (entry.kind != walk::WalkEntry::Kind::File) ++folders;
  }
  std::vector<std::int64_t> counts(bench.lists.sizes.rowCount());
  std::uint64_t total = 0;
  for (const std::uint64_t size : sizes) {
    bench.feedback.pump();
    std::size_t row = 0;
    while (row + 1 < counts.size() &&
           parseInt32Cell(bench.lists.sizes.caption(row)) < static_cast<std::int64_t>(size)) {
      ++row;
    }
    ++counts[row];
    total += size;
  }
  std::printf("%zu files, %lld folder entries, %llu bytes\n", sizes.size(),
              static_cast<long long>(folders), static_cast<unsigned long long>(total));
  return 0;
}

int main(int argc, char** argv) {
  if (const std::string tree = option(argc, argv, "list-once"); !tree.empty()) {
    return listOnce(tree);
  }
  if (const std::string tree = option(argc, argv, "extents"); !tree.empty()) {
    return printExtents(tree);
  }
  if (const std::string held = option(argc, argv, "walk-held"); !held.empty()) {
    return printWalkHeld(held);
  }
  const std::string location = option(argc, argv, "census");
  if (!location.empty()) {
    try {
      Bench bench(location, option(argc, argv, "template"));
      census::analyse(bench.context);
      const std::string saveTo = option(argc, argv, "save");
      if (!saveTo.empty()) census::saveTemplateFile(bench.context, saveTo);
      std::puts(bench.feedback.status.c_str());
      return 0;
    } catch (const Failure& failure) {
      std::fprintf(stderr, "%s\n", errorBoxText(failure.what()).c_str());
      return 1;
    }
  }

  benchmark::Initialize(&argc, argv);
  treeFolder() = option(argc, argv, "tree");
  const bool generated = treeFolder().empty();
  if (generated) treeFolder() = makeSmallTree();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (generated) std::filesystem::remove_all(treeFolder());
  return 0;
}
