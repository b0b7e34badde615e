#include <windows.h>

#include <cctype>

#include "platform/system_error.h"

namespace brimwell {

std::string systemWords(int number) {
  char buffer[512] = {};
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(number), 0, buffer, sizeof buffer, nullptr);
  std::string words(buffer, length);
  // The system's text ends in a full stop and a line end.
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.' ||
                            words.back() == ' ')) {
    words.pop_back();
  }
  return words.empty() ? std::string("system error") : words;
}

SystemError systemError(int number) {
  std::string words = systemWords(number);
  words[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(words[0])));
  return {number, std::move(words)};
}

SystemError missingFolderError() { return systemError(ERROR_PATH_NOT_FOUND); }

SystemError notAFolderError() { return systemError(ERROR_DIRECTORY); }

std::string systemErrorText(const SystemError& error) {
  if (error.number == 0) return error.words;
  return error.words + " (error " + std::to_string(error.number) + ")";
}

}  // namespace brimwell
