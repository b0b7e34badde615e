// Feedback on a terminal: what the window shows in its status line, progress bar and
// message boxes, written to a stream (stderr), with questions answered by --yes, by the
// user at a terminal, or, with no one to ask, declined.
//
// Status texts, notices and questions are printed as whole lines with their exact texts.
// The progress bar is drawn on one line, redrawn only when its position changes, and only
// when the stream is a terminal; position 0 (which the operations set when they end)
// takes the bar away.
#pragma once

#include <cstdio>
#include <string>

#include "app/feedback.h"

namespace brimwell::cli {

// How questions are answered.
enum class Answering {
  Yes,        // --yes: every question is answered OK
  AskUser,    // a terminal: the user types y or n
  NoOneToAsk  // no terminal and no --yes: every question is declined
};

class TerminalFeedback : public Feedback {
 public:
  // `messages` receives everything shown; `answers` is read for AskUser.
  TerminalFeedback(std::FILE* messages, std::FILE* answers, Answering answering, bool drawProgress);
  ~TerminalFeedback() override;
  TerminalFeedback(const TerminalFeedback&) = delete;
  TerminalFeedback& operator=(const TerminalFeedback&) = delete;

  void setStatus(std::string_view text) override;
  void setProgress(int percent) override;
  void pump() override;
  // False once Ctrl-C or SIGTERM has come (catchStopSignals).
  bool carryOn() override;
  void notice(std::string_view text) override;
  void explain(std::string_view text) override;
  bool confirm(std::string_view text) override;
  std::optional<std::string> chooseTemplateToLoad() override;
  std::optional<std::string> chooseTemplateToSave() override;

  // The status line's text, as the window would show it now.
  const std::string& status() const { return status_; }
  // Prints a line of the command line's own (a summary, a hint).
  void say(std::string_view text);

 private:
  void takeBarAway();
  void printLine(std::string_view text);

  std::FILE* messages_;
  std::FILE* answers_;
  Answering answering_;
  bool drawProgress_;
  std::string status_;
  int barPosition_ = 0;  // 0: no bar on screen
};

}  // namespace brimwell::cli
