// The census with its folders listed once, on the pool, through every listing the pool
// makes: a listing that throws on a pool thread reaches the census on the main thread and
// leaves no thread behind; a refused one counts as an empty folder, in the totals as in the
// counts; and the listings open at once stay within the pool's bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "app/context.h"
#include "app/failure.h"
#include "census/census.h"
#include "census/size_template.h"
#include "platform/posix_file_system.h"
#include "platform/windows_errors.h"
#include "support/fault_injecting_file_system.h"
#include "support/recording_feedback.h"
#include "support/temp_dir.h"
#include "support/thread_count.h"
#include "walk/ordered_walk.h"

namespace brimwell {
namespace {

using testing::threadCount;
using testing::threadCountSettledAt;

// Six files in five folders below the location, one of them four levels down.
struct ConcurrentCensus {
  ConcurrentCensus() : faults(real, true) {
    for (const char* file :
         {"alpha/a1", "alpha/a2", "alpha/deep/er/d1", "beta/b1", "beta/b2", "gamma/g1"}) {
      dir.writeFile(std::string("place/") + file, std::string(std::strlen(file) * 300, 'x'));
    }
    census::readTemplate("1000\t0\r\n3000\t0\r\n9000\t0\r\n", lists.sizes);
    fields.setText(EditField::scanpath, dir / "place");
  }

  Context context() {
    return Context{lists, fields, feedback, faults, random, *collation, PathStyle::posix(), "."};
  }
  std::int64_t counted() const {
    std::int64_t sum = 0;
    for (std::size_t row = 0; row < 3; ++row) {
      sum += std::stoll(std::string(lists.sizes.subCell(row, kCountCell)));
    }
    return sum;
  }

  testing::TempDir dir;
  PosixFileSystem real;
  testing::FaultInjectingFileSystem faults;
  Workspace lists;
  FieldValues fields;
  testing::RecordingFeedback feedback;
  RandomSource random;
  std::unique_ptr<Collation> collation = userCollation();
};

TEST(ConcurrentFaultSweep, ThePoolsListingsFailAndAreRefusedInTurn) {
  ConcurrentCensus clean;
  auto cleanContext = clean.context();
  ASSERT_EQ(census::analyse(cleanContext), Outcome::Done);
  // Counted after a first run: a sanitizer's own thread starts with the first pool.
  const std::size_t threadsBefore = threadCount();
  EXPECT_EQ(clean.feedback.status,
            "Total files: 6, total folders: 5, total size: 16200, avg size: 2700.");
  // Every folder once, on the pool: the classifying walk takes what the counting walk kept.
  EXPECT_EQ(clean.faults.calls(testing::FaultInjectingFileSystem::Op::List), 6);
  const int poolListings = clean.faults.helperListings();
  ASSERT_EQ(poolListings, 6);
  // Each pool thread holds one listing open at a time.
  EXPECT_LE(clean.faults.mostOpenListings(), static_cast<int>(walk::OrderedWalk::poolThreads()));

  for (int n = 1; n <= poolListings; ++n) {
    SCOPED_TRACE("pool listing " + std::to_string(n));
    ConcurrentCensus thrown;
    thrown.faults.failNthHelperListing(n, winerr::kNotEnoughMemory, true);
    auto context = thrown.context();
    try {
      census::analyse(context);
      ADD_FAILURE() << "no failure";
    } catch (const IoFailure& failure) {
      EXPECT_EQ(failure.code(), winerr::kNotEnoughMemory);
    }
    // The counting walk stopped at the folder that failed; nothing was classified.
    EXPECT_EQ(thrown.feedback.status,
              "Please wait, counting files - this may take several minutes...");
    EXPECT_EQ(thrown.counted(), 0);
    EXPECT_EQ(threadCountSettledAt(threadsBefore), threadsBefore);

    ConcurrentCensus refused;
    refused.faults.failNthHelperListing(n, winerr::kAccessDenied, false);
    auto refusedContext = refused.context();
    if (n == 1) {  // the location itself: nothing to count
      EXPECT_EQ(census::analyse(refusedContext), Outcome::Stopped);
      EXPECT_EQ(refused.feedback.events.back(), "notice: No files to process.");
    } else {
      // Every folder holds files at or below it: they are missing from the total too.
      EXPECT_EQ(census::analyse(refusedContext), Outcome::Done);
      EXPECT_LT(refused.counted(), 6);
      EXPECT_EQ(refused.feedback.status.rfind(
                    "Total files: " + std::to_string(refused.counted()) + ", ", 0),
                0u)
          << refused.feedback.status;
    }
    EXPECT_EQ(threadCountSettledAt(threadsBefore), threadsBefore);
  }
}

}  // namespace
}  // namespace brimwell
