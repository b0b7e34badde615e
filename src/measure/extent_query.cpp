#include "measure/extent_query.h"

namespace brimwell::measure {

ExtentQuery::ExtentQuery(FileSystem& fs, Volume& volume, std::uint32_t blockSize,
                         std::size_t workers)
    : fs_(fs) {
  workers_.reserve(workers);
  for (std::size_t i = 0; i < workers; ++i) {
    workers_.push_back(std::make_unique<LayoutReader>(volume, blockSize));
  }
}

std::uint64_t ExtentQuery::ask(const std::string& path, const DirEntry& /*entry*/,
                               std::size_t worker) {
  std::uint64_t size = 0;
  if (workers_[worker]->add(path, size) == ExtentsAnswer::FileUnreadable) {
    if (PathAttributes listed; fs_.attributes(path, listed)) size = listed.size;
  }
  return size;
}

walk::UnreadPaths ExtentQuery::unread() const {
  walk::UnreadPaths merged;
  for (const auto& worker : workers_) merged.merge(worker->unread());
  return merged;
}

FileLayoutFigures ExtentQuery::figures() const {
  FileLayoutTally merged(0);
  for (const auto& worker : workers_) merged.merge(worker->tally());
  FileLayoutFigures figures = merged.figures();
  figures.known = true;
  for (const auto& worker : workers_) {
    if (!worker->reported()) {
      figures.known = false;
      figures.why = worker->why();
      break;
    }
  }
  return figures;
}

}  // namespace brimwell::measure
