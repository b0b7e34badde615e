// A view without a window: fields held as texts, everything shown recorded in order,
// questions and dialogs answered from a script.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "form/view.h"

namespace brimwell::testing {

class ScriptedView : public form::View {
 public:
  ScriptedView();

  std::array<std::string, kEditFieldCount> edits;
  std::array<std::string, kSpinFieldCount> spins;
  std::string status;
  std::string statusTip;
  int progress = 0;
  int eventRuns = 0;
  bool closed = false;
  // "notice: text", "confirm: text", "error: text", one line per box, titles checked apart.
  std::vector<std::string> boxes;
  std::vector<std::string> titles;
  bool confirmAnswer = true;
  std::optional<std::string> chosenFile;
  // How each template dialog was set up, in order.
  std::vector<form::DialogSetup> dialogs;
  // Runs inside processEvents(): what a user does while an operation pumps.
  std::function<void()> duringEvents;

  std::string& field(EditField field) { return edits[static_cast<std::size_t>(field)]; }
  std::string& field(SpinField field) { return spins[static_cast<std::size_t>(field)]; }

  std::string fieldText(EditField f) override { return field(f); }
  std::string fieldText(SpinField f) override { return field(f); }
  void showStatus(std::string_view text) override { status = text; }
  void showStatusTip(std::string_view text) override { statusTip = text; }
  void showProgress(int percent) override { progress = percent; }
  void processEvents() override;
  void showNotice(std::string_view title, std::string_view text) override;
  bool askConfirm(std::string_view text) override;
  void showError(std::string_view title, std::string_view text) override;
  std::optional<std::string> chooseTemplate(const form::DialogSetup& setup) override {
    dialogs.push_back(setup);
    return chosenFile;
  }
  void closeWindow() override { closed = true; }
};

}  // namespace brimwell::testing
