#include "aging/list_figures.h"

#include <charconv>
#include <unordered_set>

#include "app/context.h"
#include "platform/path_style.h"

namespace brimwell::aging {

ListFigures measureFileList(const TextTable& files1, std::string_view target) {
  ListFigures figures;
  figures.files = static_cast<std::int64_t>(files1.rowCount());
  std::unordered_set<std::string_view> folders;
  std::string_view previous;
  const PathStyle style = PathStyle::native();
  for (std::size_t row = 0; row < files1.rowCount(); ++row) {
    const std::string_view size = files1.cellText(row, 1 + kSizeCell);
    std::int64_t value = 0;
    if (std::from_chars(size.data(), size.data() + size.size(), value).ec == std::errc() &&
        value > 0) {
      figures.bytes += static_cast<std::uint64_t>(value);
    }
    // Consecutive files mostly share a folder; a folder seen once has had its parents
    // counted too, so the climb stops there.
    std::string_view folder = style.folderPartOf(files1.caption(row));
    if (folder == previous) continue;
    previous = folder;
    while (folder.size() > target.size() && folders.insert(folder).second) {
      folder.remove_suffix(1);
      folder = style.folderPartOf(folder);
    }
  }
  figures.folders = static_cast<std::int64_t>(folders.size());
  return figures;
}

}  // namespace brimwell::aging
