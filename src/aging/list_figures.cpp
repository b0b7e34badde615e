#include "aging/list_figures.h"

#include <charconv>

#include "app/context.h"

namespace brimwell::aging {

ListFigureCounter::ListFigureCounter(std::string_view target)
    : target_(target), style_(PathStyle::native()) {}

void ListFigureCounter::entry(std::string_view path, std::string_view size) {
  ++figures_.files;
  std::int64_t value = 0;
  if (std::from_chars(size.data(), size.data() + size.size(), value).ec == std::errc() &&
      value > 0) {
    figures_.bytes += static_cast<std::uint64_t>(value);
  }
  // Consecutive files mostly share a folder; a folder seen once has had its parents
  // counted too, so the climb stops there.
  std::string_view folder = style_.folderPartOf(path);
  if (folder == previous_) return;
  previous_ = folder;
  while (folder.size() > target_.size() && folders_.insert(folder).second) {
    folder.remove_suffix(1);
    folder = style_.folderPartOf(folder);
  }
}

ListFigures ListFigureCounter::figures() const {
  ListFigures figures = figures_;
  figures.folders = static_cast<std::int64_t>(folders_.size());
  return figures;
}

ListFigures measureFileList(const TextTable& files1, std::string_view target) {
  ListFigureCounter counter(target);
  for (std::size_t row = 0; row < files1.rowCount(); ++row) {
    counter.entry(files1.caption(row), files1.cellText(row, 1 + kSizeCell));
  }
  return counter.figures();
}

}  // namespace brimwell::aging
