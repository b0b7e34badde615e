#include <windows.h>

#include <string>

#include "platform/locale_info.h"

namespace brimwell {

std::string userDecimalSeparator() {
  // Windows allows at most three characters and the terminating zero.
  char separator[4 + 1] = {};
  const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator,
                                    static_cast<int>(sizeof separator));
  if (length <= 1) return ".";
  return separator;
}

namespace {

// `text` in code page `from`, converted to code page `to` through UTF-16.
std::string recode(std::string_view text, UINT from, UINT to) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int wideLength = MultiByteToWideChar(from, 0, text.data(), length, nullptr, 0);
  if (wideLength <= 0) return std::string(text);
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(from, 0, text.data(), length, wide.data(), wideLength);
  // No best-fit: a character the ANSI code page lacks becomes "?", not a look-alike.
  const DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int outLength =
      WideCharToMultiByte(to, flags, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (outLength <= 0) return std::string(text);
  std::string out(static_cast<std::size_t>(outLength), '\0');
  WideCharToMultiByte(to, flags, wide.data(), wideLength, out.data(), outLength, nullptr, nullptr);
  return out;
}

}  // namespace

std::string systemTextFromUtf8(std::string_view utf8) { return recode(utf8, CP_UTF8, CP_ACP); }

std::string utf8FromSystemText(std::string_view text) { return recode(text, CP_ACP, CP_UTF8); }

}  // namespace brimwell
