#include "scripted_view.h"

#include <utility>

#include "app/cell_number.h"

namespace brimwell::testing {

ScriptedView::ScriptedView() {
  for (std::size_t i = 0; i < kEditFieldCount; ++i) {
    edits[i] = editFieldInfo(static_cast<EditField>(i)).defaultText;
  }
  for (std::size_t i = 0; i < kSpinFieldCount; ++i) {
    spins[i] = formatInteger(spinFieldInfo(static_cast<SpinField>(i)).defaultValue);
  }
}

void ScriptedView::processEvents() {
  ++eventRuns;
  if (duringEvents) std::exchange(duringEvents, nullptr)();
}

void ScriptedView::showNotice(std::string_view title, std::string_view text) {
  titles.emplace_back(title);
  boxes.push_back("notice: " + std::string(text));
}

bool ScriptedView::askConfirm(std::string_view text) {
  titles.emplace_back(form::kConfirmCaption);
  boxes.push_back("confirm: " + std::string(text));
  return confirmAnswer;
}

void ScriptedView::showError(std::string_view title, std::string_view text) {
  titles.emplace_back(title);
  boxes.push_back("error: " + std::string(text));
}

}  // namespace brimwell::testing
