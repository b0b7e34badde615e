#include "app/message_text.h"

namespace brimwell {
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

// The length of the invisible character at the start of `text` (a byte-order mark, a
// zero-width space or joiner, a word joiner): 3, or 0 when there is none.
std::size_t invisibleAt(std::string_view text) {
  if (text.size() < 3) return 0;
  const auto b0 = static_cast<unsigned char>(text[0]);
  const auto b1 = static_cast<unsigned char>(text[1]);
  const auto b2 = static_cast<unsigned char>(text[2]);
  const bool byteOrderMark = b0 == 0xEF && b1 == 0xBB && b2 == 0xBF;
  const bool zeroWidth = b0 == 0xE2 && b1 == 0x80 && b2 >= 0x8B && b2 <= 0x8F;
  const bool wordJoiner = b0 == 0xE2 && b1 == 0x81 && b2 == 0xA0;
  return byteOrderMark || zeroWidth || wordJoiner ? 3 : 0;
}

void appendEscapedText(std::string& out, std::string_view text) {
  while (!text.empty()) {
    const std::size_t invisible = invisibleAt(text);
    if (invisible == 0) {
      appendEscaped(out, text.front());
      text.remove_prefix(1);
      continue;
    }
    for (std::size_t i = 0; i < invisible; ++i) {
      constexpr char kHex[] = "0123456789ABCDEF";
      const auto byte = static_cast<unsigned char>(text[i]);
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
    text.remove_prefix(invisible);
  }
}

}  // namespace

std::string quotedCell(std::string_view text) {
  std::string out;
  const bool cut = text.size() > kQuotedCellLimit;
  appendEscapedText(out, text.substr(0, kQuotedCellLimit));
  if (cut) out += "...";
  return out;
}

std::string printableMessage(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendEscapedText(out, text);
  return out;
}

bool holdsHiddenBytes(std::string_view text) {
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const bool control = (byte < 0x20 && byte != '\t') || byte == 0x7F;
    if (control || invisibleAt(text.substr(at)) != 0) return true;
  }
  return false;
}

}  // namespace brimwell
