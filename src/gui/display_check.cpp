#include "gui/display_check.h"

#include <cstdlib>
#include <string_view>

namespace brimwell::gui {

std::optional<std::string> processEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::optional<std::string> missingDisplayMessage(int argc, char** argv,
                                                 const EnvironmentReader& environment) {
#if defined(_WIN32) || defined(__APPLE__)
  // These systems always have their one display.
  (void)argc;
  (void)argv;
  (void)environment;
  return std::nullopt;
#else
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const std::optional<std::string> value = environment(name);
    if (value && !value->empty()) return std::nullopt;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "-platform" || argument == "--platform") return std::nullopt;
  }
  return std::string(
      "Brimwell: no display found, so the window cannot be shown.\n"
      "Run it on a desktop (X11 or Wayland), or under a virtual display with\n"
      "  xvfb-run Brimwell\n"
      "or without any screen with\n"
      "  QT_QPA_PLATFORM=offscreen Brimwell\n"
      "(brimwell-cli runs every operation without a window.)\n");
#endif
}

}  // namespace brimwell::gui
