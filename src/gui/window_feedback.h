// Operation feedback through the window: the status line, the progress bar, event
// pumping, the notice and confirmation boxes and the template file dialogs.
//
// Pumping is cheap when it is called in quick succession (the census pumps once per
// directory entry): a pump within kPumpSpacingNs of the previous one is skipped unless the
// status line or the progress bar changed since, so a phase that starts right after a
// status change is always painted. Skipping only defers events; none is dropped.
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

  WindowFeedback(QWidget& window, QLineEdit& status, QProgressBar& progress,
                 TemplateDialog& openDialog, TemplateDialog& saveDialog, QString title);

  void setStatus(std::string_view text) override;
  void setProgress(int percent) override;
  void pump() override;
  void notice(std::string_view text) override;
  bool confirm(std::string_view text) override;
  std::optional<std::string> chooseTemplateToLoad() override;
  std::optional<std::string> chooseTemplateToSave() override;

  // How many pumps reached the event loop (the rest were skipped).
  long long pumpsRun() const { return pumpsRun_; }

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
};

}  // namespace brimwell::gui
