// Feedback for tests: records every call as a line of text, in order, and answers
// questions and file dialogs from a script.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/feedback.h"

namespace brimwell::testing {

class RecordingFeedback : public Feedback {
 public:
  // Each event: "status: TEXT", "progress: N", "pump", "notice: TEXT", "confirm: TEXT",
  // "open", "save".
  std::vector<std::string> events;
  std::string status;
  int progress = 0;
  int pumps = 0;
  // What explain() was told, apart from the events.
  std::vector<std::string> explained;

  // Answers to confirm(), first to last; true (OK) when none is left.
  std::deque<bool> answers;
  // Answers to the file dialogs; cancel when none is left.
  std::deque<std::optional<std::string>> files;
  // Whether setProgress and pump are recorded in events (they can be many).
  bool recordProgress = false;
  // How many times carryOn() answers true before the user asks to stop; none: never asked.
  std::optional<int> carryOns;

  void setStatus(std::string_view text) override;
  void setProgress(int percent) override;
  void pump() override;
  void notice(std::string_view text) override;
  void explain(std::string_view text) override { explained.emplace_back(text); }
  bool confirm(std::string_view text) override;
  bool carryOn() override { return !carryOns || (*carryOns)-- > 0; }
  std::optional<std::string> chooseTemplateToLoad() override;
  std::optional<std::string> chooseTemplateToSave() override;

  // The texts of the events of one kind ("status", "notice", "confirm").
  std::vector<std::string> texts(const std::string& kind) const;
};

}  // namespace brimwell::testing
