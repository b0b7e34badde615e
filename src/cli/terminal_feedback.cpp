#include "cli/terminal_feedback.h"

#include <algorithm>
#include <cctype>

#include "platform/stop_signals.h"

namespace brimwell::cli {
namespace {

constexpr int kBarWidth = 40;

bool isYes(std::string answer) {
  while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back()))) {
    answer.pop_back();
  }
  std::transform(answer.begin(), answer.end(), answer.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return answer == "y" || answer == "yes" || answer == "ok";
}

}  // namespace

TerminalFeedback::TerminalFeedback(std::FILE* messages, std::FILE* answers, Answering answering,
                                   bool drawProgress)
    : messages_(messages), answers_(answers), answering_(answering), drawProgress_(drawProgress) {}

TerminalFeedback::~TerminalFeedback() { takeBarAway(); }

void TerminalFeedback::setStatus(std::string_view text) {
  status_ = std::string(text);
  printLine(text);
}

void TerminalFeedback::setProgress(int percent) {
  if (!drawProgress_) return;
  const int position = std::clamp(percent, 0, 100);
  if (position == barPosition_) return;
  if (position == 0) {
    takeBarAway();
    return;
  }
  barPosition_ = position;
  const int filled = position * kBarWidth / 100;
  std::string bar = "\r[";
  bar.append(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  bar += "] " + std::to_string(position) + "%";
  std::fwrite(bar.data(), 1, bar.size(), messages_);
  std::fflush(messages_);
}

void TerminalFeedback::pump() { std::fflush(messages_); }

bool TerminalFeedback::carryOn() { return !stopRequested(); }

void TerminalFeedback::notice(std::string_view text) { printLine(text); }

void TerminalFeedback::explain(std::string_view text) { printLine(text); }

bool TerminalFeedback::confirm(std::string_view text) {
  printLine(text);
  switch (answering_) {
    case Answering::Yes:
      printLine("Answered OK (--yes).");
      return true;
    case Answering::NoOneToAsk:
      printLine("Not confirmed: there is no terminal to ask, and --yes was not given.");
      return false;
    case Answering::AskUser:
      break;
  }
  std::fputs("OK to go ahead? [y/N] ", messages_);
  std::fflush(messages_);
  std::string answer;
  for (int c = std::fgetc(answers_); c != EOF && c != '\n'; c = std::fgetc(answers_)) {
    answer += static_cast<char>(c);
  }
  const bool ok = isYes(answer);
  if (!ok) printLine("Cancelled.");
  return ok;
}

std::optional<std::string> TerminalFeedback::chooseTemplateToLoad() { return std::nullopt; }

std::optional<std::string> TerminalFeedback::chooseTemplateToSave() { return std::nullopt; }

void TerminalFeedback::say(std::string_view text) { printLine(text); }

void TerminalFeedback::takeBarAway() {
  if (barPosition_ == 0) return;
  barPosition_ = 0;
  // Spaces over the bar rather than an escape sequence, which not every console knows.
  std::string blank = "\r";
  blank.append(kBarWidth + 8, ' ');
  blank += '\r';
  std::fwrite(blank.data(), 1, blank.size(), messages_);
  std::fflush(messages_);
}

void TerminalFeedback::printLine(std::string_view text) {
  takeBarAway();
  std::fwrite(text.data(), 1, text.size(), messages_);
  std::fputc('\n', messages_);
  std::fflush(messages_);
}

}  // namespace brimwell::cli
