#include "cli/message_text.h"

namespace brimwell::cli {
namespace {

void appendEscaped(std::string& out, char c) {
  switch (c) {
    case '\t':
      out += "\\t";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\0':
      out += "\\0";
      return;
    default:
      break;
  }
  const auto byte = static_cast<unsigned char>(c);
  if (byte < 0x20 || byte == 0x7F) {
    constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
    return;
  }
  out += c;
}

}  // namespace

std::string quotedCell(std::string_view text) {
  std::string out;
  const bool cut = text.size() > kQuotedCellLimit;
  for (const char c : text.substr(0, kQuotedCellLimit)) appendEscaped(out, c);
  if (cut) out += "...";
  return out;
}

std::string printableMessage(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) appendEscaped(out, c);
  return out;
}

}  // namespace brimwell::cli
