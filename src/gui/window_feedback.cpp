#include "gui/window_feedback.h"

#include <QCoreApplication>
#include <algorithm>

#include "gui/message_boxes.h"

namespace brimwell::gui {
namespace {

QString fromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

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
  status_.setText(fromUtf8(text));
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

void WindowFeedback::notice(std::string_view text) { showNotice(&window_, title_, fromUtf8(text)); }

bool WindowFeedback::confirm(std::string_view text) { return askConfirm(&window_, fromUtf8(text)); }

std::optional<std::string> WindowFeedback::chooseTemplateToLoad() {
  return openDialog_.choose(&window_);
}

std::optional<std::string> WindowFeedback::chooseTemplateToSave() {
  return saveDialog_.choose(&window_);
}

}  // namespace brimwell::gui
