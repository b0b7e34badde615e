// Text between the window and the operations. The window's texts are Unicode; the
// operations, their lists and the file system hold the system's own code page (UTF-8 on
// Linux; the ANSI code page on Windows, which the file-system calls read). Every text
// crosses here: field texts, dialog names and edited captions on the way in; list cells,
// the status line and the boxes' texts on the way out.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace brimwell::gui {

std::string toSystemText(const QString& text);
QString fromSystemText(std::string_view text);

}  // namespace brimwell::gui
