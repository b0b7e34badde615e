#include "gui/window_feedback.h"

#include <QCoreApplication>
#include <algorithm>

#include "gui/message_boxes.h"
#include "gui/system_text.h"

namespace brimwell::gui {

WindowFeedback::WindowFeedback(QWidget& window, QLineEdit& status, QProgressBar& progress,
                               TemplateDialog& openDialog, TemplateDialog& saveDialog,
                               QString title)
    : window_(window),
      status_(status),
      progress_(progress),
      openDialog_(openDialog),
      saveDialog_(saveDialog),
      title_(std::move(title)) {}

void WindowFeedback::setStatus(std::string_view text) {
  status_.setText(fromSystemText(text));
  status_.setToolTip(QString());
  shownChanged_ = true;
}

void WindowFeedback::setProgress(int percent) {
  const int shown = std::clamp(percent, 0, 100);
  if (shown == progress_.value()) return;
  progress_.setValue(shown);
  shownChanged_ = true;
}

void WindowFeedback::pump() {
  if (!shownChanged_ && sinceLastPump_.isValid() &&
      sinceLastPump_.nsecsElapsed() < kPumpSpacingNs) {
    return;
  }
  QCoreApplication::processEvents();
  sinceLastPump_.start();
  shownChanged_ = false;
  ++pumpsRun_;
}

bool WindowFeedback::carryOn() {
  if (!stopRequested_ &&
      (!sinceLastPump_.isValid() || sinceLastPump_.elapsed() >= keepAliveSpacingMs_)) {
    QCoreApplication::processEvents();
    sinceLastPump_.start();
    shownChanged_ = false;
    ++pumpsRun_;
  }
  if (stopRequested_) stopped_ = true;
  return !stopRequested_;
}

void WindowFeedback::notice(std::string_view text) {
  showNotice(&window_, title_, fromSystemText(text));
}

bool WindowFeedback::confirm(std::string_view text) {
  return askConfirm(&window_, fromSystemText(text));
}

std::optional<std::string> WindowFeedback::chooseTemplateToLoad() {
  return openDialog_.choose(&window_);
}

std::optional<std::string> WindowFeedback::chooseTemplateToSave() {
  return saveDialog_.choose(&window_);
}

}  // namespace brimwell::gui
