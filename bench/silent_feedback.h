// Feedback for benchmarks: answers every question with OK, shows nothing but notices
// (on stderr, so a run that stopped early is seen), and never opens a dialog.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "app/feedback.h"

namespace brimwell::bench {

class SilentFeedback : public Feedback {
 public:
  void setStatus(std::string_view) override {}
  void setProgress(int) override {}
  void pump() override {}
  void notice(std::string_view text) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  }
  bool confirm(std::string_view) override { return true; }
  std::optional<std::string> chooseTemplateToLoad() override { return std::nullopt; }
  std::optional<std::string> chooseTemplateToSave() override { return std::nullopt; }
};

}  // namespace brimwell::bench
