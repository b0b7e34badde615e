#include "platform/path_style.h"

namespace brimwell {

PathStyle PathStyle::native() {
#ifdef _WIN32
  return windows();
#else
  return posix();
#endif
}

std::string_view PathStyle::folderPart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    const char c = path[i - 1];
    if (isSeparator(c) || c == ':') return path.substr(0, i);
  }
  return {};
}

std::string_view PathStyle::folderPartOf(std::string_view path) const {
  if (kind_ == Kind::Windows) return folderPart(path);
  for (std::size_t i = path.size(); i > 0; --i) {
    if (isSeparator(path[i - 1])) return path.substr(0, i);
  }
  return startsWithDrive(path) ? path.substr(0, 2) : std::string_view();
}

bool PathStyle::isRoot(std::string_view folder) const {
  if (kind_ == Kind::Windows) return folder.size() < 3;
  if (folder.empty()) return true;  // "/" with its separator removed
  return folder.size() == 2 && startsWithDrive(folder);
}

}  // namespace brimwell
