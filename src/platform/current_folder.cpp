#include "platform/current_folder.h"

#include <filesystem>
#include <system_error>

namespace brimwell {

std::string currentFolder() {
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  return error ? std::string() : here.string();
}

}  // namespace brimwell
