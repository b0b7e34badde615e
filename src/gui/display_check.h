// Whether the window can be shown: the program needs a display before it creates the
// application object, which would otherwise abort.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace brimwell::gui {

// Reads one environment variable; nothing when it is unset.
using EnvironmentReader = std::function<std::optional<std::string>(const char* name)>;

// Nothing when a display is available (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM set
// and not empty, or a -platform argument; always on Windows and macOS); otherwise the
// message that says how to get one.
std::optional<std::string> missingDisplayMessage(int argc, char** argv,
                                                 const EnvironmentReader& environment);

// The process environment.
std::optional<std::string> processEnvironment(const char* name);

}  // namespace brimwell::gui
