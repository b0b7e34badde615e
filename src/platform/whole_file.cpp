#include "platform/whole_file.h"

namespace brimwell {

int readWholeFile(const std::string& nativePath, std::string& contents) {
  contents.clear();
  int error = 0;
  const std::unique_ptr<ReadableFile> file = openRegularFile(nativePath, error);
  if (!file) return error;
  contents.reserve(static_cast<std::size_t>(file->size()));
  char buffer[65536];
  for (;;) {
    std::size_t got = 0;
    if (const int readError = file->read(buffer, sizeof buffer, got); readError != 0) {
      return readError;
    }
    if (got == 0) return 0;
    contents.append(buffer, got);
  }
}

}  // namespace brimwell
