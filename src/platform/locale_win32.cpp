#include <windows.h>

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

}  // namespace brimwell
