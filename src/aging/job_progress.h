// One progress bar over a whole aging job. Each step of the job (a build, a write, a
// sort-out, an erase) moves the bar from 0 to 100 and sets it back to 0 when it ends; the
// job wraps its feedback in a JobProgress, which maps each step into its own stretch of
// the bar, so that the bar goes once from start to end over all the rounds. Everything
// else (status, questions, notices, the stop) passes through as it is.
#pragma once

#include "app/feedback.h"

namespace brimwell::aging {

class JobProgress : public Feedback {
 public:
  explicit JobProgress(Feedback& shown) : shown_(shown) {}
  // Takes the bar away: the job has ended, however it ended.
  ~JobProgress() override { shown_.setProgress(0); }
  JobProgress(const JobProgress&) = delete;
  JobProgress& operator=(const JobProgress&) = delete;

  // The next steps move the bar between `fromPercent` and `toPercent` of the whole.
  void stretch(double fromPercent, double toPercent);

  // A step's 0 (its start or its end) leaves the bar where it is; the bar never goes back.
  void setProgress(int percent) override;
  void setStatus(std::string_view text) override { shown_.setStatus(text); }
  void pump() override { shown_.pump(); }
  bool carryOn() override { return shown_.carryOn(); }
  void notice(std::string_view text) override { shown_.notice(text); }
  bool confirm(std::string_view text) override { return shown_.confirm(text); }
  std::optional<std::string> chooseTemplateToLoad() override {
    return shown_.chooseTemplateToLoad();
  }
  std::optional<std::string> chooseTemplateToSave() override {
    return shown_.chooseTemplateToSave();
  }

 private:
  Feedback& shown_;
  double from_ = 0;
  double to_ = 100;
  int shownPercent_ = 0;
};

}  // namespace brimwell::aging
