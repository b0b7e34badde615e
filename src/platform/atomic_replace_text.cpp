#include "platform/atomic_replace.h"
#include "platform/windows_errors.h"

namespace brimwell {

int replaceFileWithText(const std::string& nativePath, std::string_view text, LinkAtName links) {
  int error = 0;
  const auto file = ReplacementFile::open(nativePath, error, links);
  if (!file) return error;
  while (!text.empty()) {
    std::size_t written = 0;
    error = file->write(text.data(), text.size(), written);
    if (error == 0 && written == 0) error = winerr::kDiskFull;
    if (error != 0) return error;  // the new file goes with `file`
    text.remove_prefix(written);
  }
  return file->close();
}

}  // namespace brimwell
