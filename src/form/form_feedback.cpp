#include "form/form_feedback.h"

#include <algorithm>

namespace brimwell::form {

FormFeedback::FormFeedback(View& view, std::string title, const FormClock& clock,
                           std::string bundledTemplateFolder)
    : view_(view),
      title_(std::move(title)),
      clock_(clock),
      dialogs_(std::move(bundledTemplateFolder)) {}

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
  lastPump_ = clock_.now();
  shownChanged_ = false;
  ++pumpsRun_;
}

void FormFeedback::pump() {
  if (!shownChanged_ && lastPump_ &&
      clock_.now() - *lastPump_ < std::chrono::nanoseconds(kPumpSpacingNs)) {
    return;
  }
  runEvents();
}

bool FormFeedback::carryOn() {
  if (!stopRequested_ && (!lastPump_ || clock_.now() - *lastPump_ >= keepAliveSpacing_)) {
    runEvents();
  }
  if (stopRequested_) stopped_ = true;
  return !stopRequested_;
}

void FormFeedback::notice(std::string_view text) { view_.showNotice(title_, text); }

bool FormFeedback::confirm(std::string_view text) { return view_.askConfirm(text); }

std::optional<std::string> FormFeedback::chooseTemplate(DialogKind kind) {
  std::optional<std::string> chosen =
      kind == DialogKind::Load ? dialogs_.takeNextAnswer() : std::nullopt;
  if (!chosen) chosen = view_.chooseTemplate(dialogs_.setup(kind));
  if (chosen && chosen->empty()) chosen.reset();
  dialogs_.chosen(kind, chosen);
  return chosen;
}

std::optional<std::string> FormFeedback::chooseTemplateToLoad() {
  return chooseTemplate(DialogKind::Load);
}

std::optional<std::string> FormFeedback::chooseTemplateToSave() {
  return chooseTemplate(DialogKind::Save);
}

}  // namespace brimwell::form
