#include <windows.h>

#include "platform/own_executable.h"

namespace brimwell {

std::string ownExecutablePath() {
  char path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  return std::string(path, length);
}

}  // namespace brimwell
