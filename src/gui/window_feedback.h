// Operation feedback through the window: the status line, the progress bar, event
// pumping, the notice and confirmation boxes and the template file dialogs.
//
// Pumping is cheap when it is called in quick succession (the census pumps once per
// directory entry): a pump within kPumpSpacingNs of the previous one is skipped unless the
// status line or the progress bar changed since, so a phase that starts right after a
// status change is always painted. Skipping only defers events; none is dropped.
//
// The writer and the erase pump only at their start and end, but ask carryOn() after each
// file: the window then handles its events at most every kKeepAliveSpacingMs, so a long
// run stays painted and hears a close, and a stop asked for (requestStop(), by closing the
// window) ends the run after the file it is on.
#pragma once

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QString>

#include "app/feedback.h"
#include "gui/template_dialogs.h"

namespace brimwell::gui {

class WindowFeedback : public Feedback {
 public:
  static constexpr qint64 kPumpSpacingNs = 5'000'000;
  static constexpr qint64 kKeepAliveSpacingMs = 100;

  WindowFeedback(QWidget& window, QLineEdit& status, QProgressBar& progress,
                 TemplateDialog& openDialog, TemplateDialog& saveDialog, QString title);

  void setStatus(std::string_view text) override;
  void setProgress(int percent) override;
  void pump() override;
  bool carryOn() override;
  void notice(std::string_view text) override;
  bool confirm(std::string_view text) override;
  std::optional<std::string> chooseTemplateToLoad() override;
  std::optional<std::string> chooseTemplateToSave() override;

  // How many pumps reached the event loop (the rest were skipped).
  long long pumpsRun() const { return pumpsRun_; }

  // The running operation is to stop at its next carryOn().
  void requestStop() { stopRequested_ = true; }
  // Whether carryOn() has stopped an operation since the last clearStop().
  bool stoppedOperation() const { return stopped_; }
  void clearStop() { stopRequested_ = stopped_ = false; }
  // The least time between two keep-alive pumps (tests shorten it).
  void setKeepAliveSpacing(qint64 milliseconds) { keepAliveSpacingMs_ = milliseconds; }

 private:
  QWidget& window_;
  QLineEdit& status_;
  QProgressBar& progress_;
  TemplateDialog& openDialog_;
  TemplateDialog& saveDialog_;
  QString title_;
  QElapsedTimer sinceLastPump_;
  bool shownChanged_ = true;
  long long pumpsRun_ = 0;
  qint64 keepAliveSpacingMs_ = kKeepAliveSpacingMs;
  bool stopRequested_ = false;
  bool stopped_ = false;
};

}  // namespace brimwell::gui
