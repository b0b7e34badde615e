#include "gui/system_text.h"

#include "platform/locale_info.h"

namespace brimwell::gui {

std::string toSystemText(const QString& text) { return systemTextFromUtf8(text.toStdString()); }

QString fromSystemText(std::string_view text) {
  const std::string utf8 = utf8FromSystemText(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace brimwell::gui
