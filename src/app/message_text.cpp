#include "app/message_text.h"

#include <utility>

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

// The length of the UTF-8 character at the start of `text`, or 0 when its bytes are not
// one; `broken` is then where the sequence broke off (at least 1).
std::size_t utf8Length(std::string_view text, std::size_t& broken) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = at(0);
  broken = 1;
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte; later ones are 80-BF
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    broken = i;
    if (i >= text.size()) {
      broken = text.size();
      return 0;
    }
    if (at(i) < low || at(i) > high) return 0;
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

}  // namespace

std::string validUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    std::size_t broken = 0;
    const std::size_t length = utf8Length(text, broken);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      text.remove_prefix(broken);
      continue;
    }
    out.append(text.substr(0, length));
    text.remove_prefix(length);
  }
  return out;
}

std::string documentText(std::string_view text) {
  std::string shown = printableMessage(validUtf8(text));
  // U+FFFE and U+FFFF are UTF-8, but no XML document may hold them.
  for (const auto& [character, escaped] : {std::pair{"\xEF\xBF\xBE", "\\xEF\\xBF\\xBE"},
                                           std::pair{"\xEF\xBF\xBF", "\\xEF\\xBF\\xBF"}}) {
    const std::string_view found = character;
    for (std::size_t at = shown.find(found); at != std::string::npos;
         at = shown.find(found, at + 1)) {
      shown.replace(at, found.size(), escaped);
    }
  }
  return shown;
}

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
