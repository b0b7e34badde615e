// Answers the message boxes a test makes the window show, recording what each said.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace brimwell::testing {

struct SeenBox {
  std::string caption;
  std::string text;
  bool hasCancel = false;
};

// While it lives, every message box of this thread is answered with `answer` (IDOK,
// IDCANCEL) as soon as it is shown; `beforeAnswer` runs first (a test may close the window).
class BoxAnswerer {
 public:
  explicit BoxAnswerer(int answer = IDOK, std::function<void()> beforeAnswer = nullptr);
  ~BoxAnswerer();

  std::vector<SeenBox> seen;

 private:
  static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);

  int answer_;
  std::function<void()> beforeAnswer_;
  HHOOK hook_;
};

}  // namespace brimwell::testing
