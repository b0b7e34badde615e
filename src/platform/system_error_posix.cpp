#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/system_error.h"

namespace brimwell {

std::string systemWords(int number) {
  char buffer[256] = {};
  // The GNU strerror_r returns the text, which need not be in `buffer`.
  return ::strerror_r(number, buffer, sizeof buffer);
}

SystemError systemError(int number) {
  std::string words = systemWords(number);
  if (!words.empty())
    words[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(words[0])));
  return {number, std::move(words)};
}

SystemError missingFolderError() { return systemError(ENOENT); }

SystemError notAFolderError() { return systemError(ENOTDIR); }

std::string systemErrorText(const SystemError& error) {
  if (error.number == 0) return error.words;
  return error.words + " (errno " + std::to_string(error.number) + ")";
}

}  // namespace brimwell
