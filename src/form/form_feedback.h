// Operation feedback through a view: the status line, the progress bar, event pumping,
// the notice and confirmation boxes and the template file dialogs.
//
// Pumping is cheap when it is called in quick succession (the census pumps once per
// directory entry): a pump within kPumpSpacingNs of the previous one is skipped unless the
// status line or the progress bar changed since, so a phase that starts right after a
// status change is always painted. Skipping only defers events; none is dropped.
//
// The writer and the erase pump only at their start and end, but ask carryOn() after each
// file: the view then handles its events at most every kKeepAliveSpacingMs, so a long run
// stays painted and hears a close, and a stop asked for (requestStop(), by closing the
// window) ends the run after the file it is on.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "app/feedback.h"
#include "form/form_clock.h"
#include "form/template_dialogs.h"
#include "form/view.h"

namespace brimwell::form {

class FormFeedback : public Feedback {
 public:
  static constexpr std::int64_t kPumpSpacingNs = 5'000'000;
  static constexpr std::int64_t kKeepAliveSpacingMs = 100;

  // `title` is the caption of every notice; the spacings are measured on `clock`.
  FormFeedback(View& view, std::string title, const FormClock& clock,
               std::string bundledTemplateFolder);

  void setStatus(std::string_view text) override;
  void setProgress(int percent) override;
  void pump() override;
  bool carryOn() override;
  void notice(std::string_view text) override;
  bool confirm(std::string_view text) override;
  std::optional<std::string> chooseTemplateToLoad() override;
  std::optional<std::string> chooseTemplateToSave() override;

  int progress() const { return progress_; }
  // How many pumps reached the event loop (the rest were skipped).
  long long pumpsRun() const { return pumpsRun_; }

  // The running operation is to stop at its next carryOn().
  void requestStop() { stopRequested_ = true; }
  // Whether carryOn() has stopped an operation since the last clearStop().
  bool stoppedOperation() const { return stopped_; }
  void clearStop() { stopRequested_ = stopped_ = false; }
  // The least time between two keep-alive pumps (tests shorten it).
  void setKeepAliveSpacing(std::int64_t milliseconds) {
    keepAliveSpacing_ = std::chrono::milliseconds(milliseconds);
  }
  TemplateDialogs& dialogs() { return dialogs_; }

 private:
  void runEvents();
  std::optional<std::string> chooseTemplate(DialogKind kind);

  View& view_;
  std::string title_;
  const FormClock& clock_;
  TemplateDialogs dialogs_;
  int progress_ = 0;
  std::optional<FormClock::TimePoint> lastPump_;
  bool shownChanged_ = true;
  long long pumpsRun_ = 0;
  std::chrono::steady_clock::duration keepAliveSpacing_ =
      std::chrono::milliseconds(kKeepAliveSpacingMs);
  bool stopRequested_ = false;
  bool stopped_ = false;
};

}  // namespace brimwell::form
