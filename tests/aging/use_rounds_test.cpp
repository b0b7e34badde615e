// Rounds aged by use, on a scripted volume over a temporary folder: what the list names after
// the rounds and after a failure in the middle of one, and that a seed repeats the rounds.
// The command-line test of a kill mid-round and the loop-image bench prove the same for real.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "aging/rounds.h"
#include "aging/scripted_job.h"
#include "app/failure.h"
#include "support/fault_injecting_file_system.h"

namespace brimwell::testing {
namespace {

struct Quiet : aging::RoundsObserver {
  void batchWritten(int, const aging::ListFigures&) override {}
  void roundDone(const aging::RoundFigures& figures) override { last = figures; }
  aging::RoundFigures last;
};

aging::RoundsPlan usePlan() {
  aging::RoundsPlan plan;
  plan.rounds = 3;
  plan.fill = 25.0;
  plan.byUse = true;
  return plan;
}

// The list's entries, by path below the job's folder, with their sizes.
std::map<std::string, std::uintmax_t> listed(const ScriptedJob& job) {
  std::map<std::string, std::uintmax_t> entries;
  const std::string text = readWholeFile(job.dir / "list.txt");
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = text.substr(start, end - start);
    const std::size_t tab = line.rfind('\t');
    entries[line.substr(job.target.size(), tab - job.target.size())] =
        std::stoull(line.substr(tab + 1));
  }
  return entries;
}

// The files on disk under the target, the same way.
std::map<std::string, std::uintmax_t> onDisk(const ScriptedJob& job) {
  std::map<std::string, std::uintmax_t> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(job.target)) {
    if (entry.is_regular_file()) {
      files[entry.path().string().substr(job.target.size())] = entry.file_size();
    }
  }
  return files;
}

TEST(UseRounds, TheListNamesEveryFileAtItsSizeAndASeedRepeatsTheRounds) {
  std::map<std::string, std::uintmax_t> first;
  for (int run = 0; run < 2; ++run) {
    ScriptedJob job;
    joblist::JobList list(job.dir / "list.txt", true);
    Quiet observer;
    ASSERT_EQ(aging::ageInRounds(job.context, job.op.fields, list, usePlan(), observer).outcome,
              Outcome::Done);
    const std::map<std::string, std::uintmax_t> files = onDisk(job);
    // Nothing is left in the staging folder, and grown files have their new sizes.
    EXPECT_EQ(listed(job), files);
    EXPECT_EQ(regularFilesUnder(job.target, "staging"), 0u);
    // Grown files lie in two pieces.
    EXPECT_GT(observer.last.layout.fragmented, 0);
    if (run == 0) first = files;
    EXPECT_EQ(files, first) << "the same seed";
  }
}

TEST(UseRounds, AFailedMoveLeavesEveryFileOnDiskListed) {
  ScriptedJob job;
  FaultInjectingFileSystem faults(job.context.fs);
  faults.failNth(FaultInjectingFileSystem::Op::Rename, 7, 5);
  Context context{job.op.lists,  job.op.fields,     job.op.feedback,    faults,
                  job.op.random, *job.op.collation, PathStyle::posix(), ".",
                  job.volume};
  joblist::JobList list(job.dir / "list.txt", true);
  Quiet observer;
  try {
    aging::ageInRounds(context, job.op.fields, list, usePlan(), observer);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_NE(std::string(failure.what()).find("-staging/r2-use-"), std::string::npos)
        << failure.what();
  }
  // The file that could not be moved is on the list under its staged name.
  const std::map<std::string, std::uintmax_t> entries = listed(job);
  std::size_t staged = 0;
  for (const auto& [path, size] : onDisk(job)) {
    EXPECT_TRUE(entries.count(path)) << path;
    staged += path.find("staging") != std::string::npos;
  }
  EXPECT_EQ(staged, 1u);
}

}  // namespace
}  // namespace brimwell::testing
