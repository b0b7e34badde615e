#include "support/recording_feedback.h"

namespace brimwell::testing {

void RecordingFeedback::setStatus(std::string_view text) {
  status = std::string(text);
  events.push_back("status: " + status);
}

void RecordingFeedback::setProgress(int percent) {
  progress = percent;
  if (recordProgress) events.push_back("progress: " + std::to_string(percent));
}

void RecordingFeedback::pump() {
  ++pumps;
  if (recordProgress) events.push_back("pump");
}

void RecordingFeedback::notice(std::string_view text) {
  events.push_back("notice: " + std::string(text));
}

bool RecordingFeedback::confirm(std::string_view text) {
  events.push_back("confirm: " + std::string(text));
  if (answers.empty()) return true;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

std::optional<std::string> RecordingFeedback::chooseTemplateToLoad() {
  events.push_back("open");
  if (files.empty()) return std::nullopt;
  auto file = files.front();
  files.pop_front();
  return file;
}

std::optional<std::string> RecordingFeedback::chooseTemplateToSave() {
  events.push_back("save");
  if (files.empty()) return std::nullopt;
  auto file = files.front();
  files.pop_front();
  return file;
}

std::vector<std::string> RecordingFeedback::texts(const std::string& kind) const {
  std::vector<std::string> result;
  const std::string prefix = kind + ": ";
  for (const auto& event : events) {
    if (event.rfind(prefix, 0) == 0) result.push_back(event.substr(prefix.size()));
  }
  return result;
}

}  // namespace brimwell::testing
