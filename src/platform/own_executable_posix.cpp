#include <filesystem>

#include "platform/own_executable.h"

namespace brimwell {

std::string ownExecutablePath() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

}  // namespace brimwell
