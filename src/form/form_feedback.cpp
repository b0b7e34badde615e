#include "form/form_feedback.h"

#include <algorithm>

namespace brimwell::form {

FormFeedback::FormFeedback(View& view, std::string title) : view_(view), title_(std::move(title)) {}

void FormFeedback::setStatus(std::string_view text) {
  view_.showStatus(text);
  view_.showStatusTip({});
  shownChanged_ = true;
}

void FormFeedback::setProgress(int percent) {
  const int shown = std::clamp(percent, 0, 100);
  if (shown == progress_) return;
  progress_ = shown;
  view_.showProgress(shown);
  shownChanged_ = true;
}

void FormFeedback::runEvents() {
  view_.processEvents();
  lastPump_ = Clock::now();
  shownChanged_ = false;
  ++pumpsRun_;
}

void FormFeedback::pump() {
  if (!shownChanged_ && lastPump_ &&
      Clock::now() - *lastPump_ < std::chrono::nanoseconds(kPumpSpacingNs)) {
    return;
  }
  runEvents();
}

bool FormFeedback::carryOn() {
  if (!stopRequested_ && (!lastPump_ || Clock::now() - *lastPump_ >= keepAliveSpacing_)) {
    runEvents();
  }
  if (stopRequested_) stopped_ = true;
  return !stopRequested_;
}

void FormFeedback::notice(std::string_view text) { view_.showNotice(title_, text); }

bool FormFeedback::confirm(std::string_view text) { return view_.askConfirm(text); }

std::optional<std::string> FormFeedback::chooseTemplateToLoad() {
  return view_.chooseTemplate(DialogKind::Load);
}

std::optional<std::string> FormFeedback::chooseTemplateToSave() {
  return view_.chooseTemplate(DialogKind::Save);
}

}  // namespace brimwell::form
