// How the desktop knows the window: its icon (every size rendered from the program's
// SVG, in the Qt resource) and the name of its menu entry, which matches the window to the
// entry on Wayland and in task bars.
#pragma once

#include <QIcon>

namespace brimwell::gui {

// The menu entry's name without ".desktop".
inline constexpr const char* kDesktopFileName = "org.brimwell.Brimwell";

// The program's icon at every size it comes in.
QIcon programIcon();

// Gives the application its icon and desktop file name; every window shows that icon.
void setWindowIdentity();

}  // namespace brimwell::gui
