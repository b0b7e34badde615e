#include <langinfo.h>
#include <locale.h>

#include "platform/locale_info.h"

namespace brimwell {

std::string userDecimalSeparator() {
  // A private locale object, so the process-wide C locale (and printf) stays as it is.
  locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
  if (user == static_cast<locale_t>(nullptr)) return ".";
  std::string separator = nl_langinfo_l(RADIXCHAR, user);
  freelocale(user);
  return separator.empty() ? "." : separator;
}

std::string systemTextFromUtf8(std::string_view utf8) { return std::string(utf8); }

std::string utf8FromSystemText(std::string_view text) { return std::string(text); }

}  // namespace brimwell
