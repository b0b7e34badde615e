#include "box_answerer.h"

namespace brimwell::testing {
namespace {

BoxAnswerer* current = nullptr;

std::string textOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

}  // namespace

BoxAnswerer::BoxAnswerer(int answer, std::function<void()> beforeAnswer)
    : answer_(answer),
      beforeAnswer_(std::move(beforeAnswer)),
      hook_(SetWindowsHookExA(WH_CBT, hook, nullptr, GetCurrentThreadId())) {
  current = this;
}

BoxAnswerer::~BoxAnswerer() {
  UnhookWindowsHookEx(hook_);
  current = nullptr;
}

LRESULT CALLBACK BoxAnswerer::hook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && current != nullptr) {
    const auto box = reinterpret_cast<HWND>(wParam);
    char windowClass[32] = {};
    GetClassNameA(box, windowClass, sizeof(windowClass));
    if (std::string(windowClass) == "#32770") {
      // The message text is the static control with the id 0xFFFF.
      current->seen.push_back(
          {textOf(box), textOf(GetDlgItem(box, 0xFFFF)), GetDlgItem(box, IDCANCEL) != nullptr});
      if (current->beforeAnswer_) current->beforeAnswer_();
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(current->answer_, BN_CLICKED), 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace brimwell::testing
