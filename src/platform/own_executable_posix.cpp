#include <system_error>

#include "platform/own_executable.h"

namespace brimwell {

std::filesystem::path ownExecutable() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

}  // namespace brimwell
