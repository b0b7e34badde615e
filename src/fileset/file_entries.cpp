// The file step: SpinEdit1 file entries, each placed in a folder drawn at random and
// named with the id prefix, an eight-digit serial and ".DAT".
#include <algorithm>
#include <charconv>
#include <string_view>

#include "app/failure.h"
#include "fileset/build_steps.h"

namespace brimwell::fileset {
namespace {

constexpr std::size_t kSerialLength = 8;

// The last eight characters of "000000000000" followed by n in decimal.
std::string_view serialText(std::uint32_t n, char (&buffer)[24]) {
  constexpr std::string_view kZeros = "000000000000";
  kZeros.copy(buffer, kZeros.size());
  const auto end = std::to_chars(buffer + kZeros.size(), buffer + sizeof buffer, n).ptr;
  return std::string_view(end - kSerialLength, kSerialLength);
}

// Bytes to set aside for the captions and sizes: an upper bound for the captions, so the
// text buffer is allocated once; pages never written are never touched.
std::size_t textBytesFor(const TextTable& folders, std::size_t idLength, std::size_t files) {
  std::size_t longestFolder = 0;
  for (std::size_t row = 0; row < folders.rowCount(); ++row) {
    longestFolder = std::max(longestFolder, folders.caption(row).size());
  }
  constexpr std::size_t kSerialAndSuffix = kSerialLength + 4;
  constexpr std::size_t kTypicalSize = 8;
  return files * (longestFolder + idLength + kSerialAndSuffix + kTypicalSize);
}

}  // namespace

std::vector<std::uint32_t> drawFileFolders(Context& context, std::uint32_t folderCount) {
  FieldReader& fields = context.fields;
  std::vector<std::uint32_t> folderOfFile;
  const std::int32_t total = fields.value(SpinField::SpinEdit1);
  if (total > 0) folderOfFile.reserve(static_cast<std::size_t>(total));
  for (std::int32_t n = 1; n <= total; ++n) {
    const std::uint32_t folder = context.random.draw(folderCount);
    if (folder >= folderCount) throwListIndexOutOfBounds(folder);
    folderOfFile.push_back(folder);

    int percent = 0;
    if (progressPercent(n, fields.value(SpinField::SpinEdit1), percent)) {
      context.feedback.setProgress(percent);
    }
  }
  return folderOfFile;
}

void addFileEntries(Context& context, const TextTable& folders,
                    const std::vector<std::uint32_t>& folderOfFile,
                    const std::vector<std::uint32_t>& layout, TextTable& files) {
  FieldReader& fields = context.fields;
  files.reserve(layout.size(),
                textBytesFor(folders, fields.text(EditField::id).size(), layout.size()));
  std::string caption;
  char serial[24];
  for (const std::uint32_t file : layout) {
    caption = folders.caption(folderOfFile[file]);
    caption += fields.text(EditField::id);
    caption += serialText(file + 1, serial);
    caption += ".DAT";
    files.addRow(caption);
  }
}

}  // namespace brimwell::fileset
