#include "platform/whole_file.h"

#include <filesystem>
#include <limits>

#include "platform/system_error.h"
#include "platform/windows_errors.h"

namespace brimwell {
namespace {

int tooLarge() {
  noteRefusal(winerr::kFileTooLarge, std::nullopt);
  return winerr::kFileTooLarge;
}

}  // namespace

FileKind folderKindOf(const std::string& nativePath) {
  const std::filesystem::path folder = std::filesystem::path(nativePath).parent_path();
  return folder.empty() ? FileKind::Folder : fileKind(folder.string());
}

int readWholeFile(const std::string& nativePath, std::string& contents) {
  std::uint64_t size = 0;
  return readWholeFileUpTo(nativePath, std::numeric_limits<std::uint64_t>::max(), contents, size);
}

int readWholeFileUpTo(const std::string& nativePath, std::uint64_t limit, std::string& contents,
                      std::uint64_t& size) {
  contents.clear();
  int error = 0;
  const std::unique_ptr<ReadableFile> file = openRegularFile(nativePath, error);
  if (!file) return error;
  size = file->size();
  if (size > limit) return tooLarge();
  contents.reserve(static_cast<std::size_t>(size));
  char buffer[65536];
  for (;;) {
    std::size_t got = 0;
    if (const int readError = file->read(buffer, sizeof buffer, got); readError != 0) {
      contents.clear();
      return readError;
    }
    if (got == 0) return 0;
    if (contents.size() + got > limit) {  // grown since it was opened
      size = contents.size() + got;
      contents.clear();
      return tooLarge();
    }
    contents.append(buffer, got);
  }
}

}  // namespace brimwell
