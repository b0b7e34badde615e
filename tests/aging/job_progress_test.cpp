// One progress bar over the whole aging job, whatever its steps do with theirs.
#include "aging/job_progress.h"

#include <gtest/gtest.h>

#include "support/recording_feedback.h"

namespace brimwell::testing {
namespace {

TEST(JobProgress, StepsFillTheirStretchesAndTheBarNeverGoesBackUntilTheJobEnds) {
  RecordingFeedback shown;
  shown.recordProgress = true;
  {
    aging::JobProgress progress(shown);
    for (int round = 0; round < 2; ++round) {
      progress.stretch(50.0 * round, 50.0 * round + 40);  // the write
      for (int percent : {10, 50, 100, 0}) progress.setProgress(percent);
      progress.stretch(50.0 * round + 40, 50.0 * round + 50);  // the erase
      for (int percent : {1, 100, 0}) progress.setProgress(percent);
    }
    progress.setStatus("Done.");
  }
  EXPECT_EQ(shown.events,
            (std::vector<std::string>{"progress: 4", "progress: 20", "progress: 40", "progress: 50",
                                      "progress: 54", "progress: 70", "progress: 90",
                                      "progress: 100", "status: Done.", "progress: 0"}));
}

}  // namespace
}  // namespace brimwell::testing
