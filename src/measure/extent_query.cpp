#include "measure/extent_query.h"

namespace brimwell::measure {
namespace {

// An answer: the worker in the high bits, the file's index among the worker's below.
constexpr unsigned kIndexBits = 40;

}  // namespace

ExtentQuery::ExtentQuery(FileSystem& fs, Volume& volume, std::uint32_t blockSize,
                         std::size_t workers)
    : fs_(fs) {
  workers_.reserve(workers);
  for (std::size_t i = 0; i < workers; ++i) {
    workers_.push_back(std::make_unique<Worker>(volume, blockSize));
  }
}

std::uint64_t ExtentQuery::ask(const std::string& path, const DirEntry& entry, std::size_t worker) {
  Worker& mine = *workers_[worker];
  std::uint64_t size = 0;
  const Expected<FileMap> map = mine.reader.add(path, entry.isRegularFile, entry.folderHandle);
  if (!map) {
    if (PathAttributes listed; fs_.attributes(path, listed)) size = listed.size;
  } else {
    size = map->size;
    if (map->place == FilePlace::Mapped) {
      mine.extents.append(mine.reader.extents());
    }
  }
  mine.sizes.push_back(size);
  mine.ends.push_back(mine.extents.size());
  return (static_cast<std::uint64_t>(worker) << kIndexBits) | (mine.sizes.size() - 1);
}

ExtentQuery::File ExtentQuery::file(std::uint64_t answer) const {
  const Worker& worker = *workers_[answer >> kIndexBits];
  const std::size_t index = answer & ((std::uint64_t{1} << kIndexBits) - 1);
  const std::size_t begin = index == 0 ? 0 : worker.ends[index - 1];
  return {worker.sizes[index], worker.extents.view().subspan(begin, worker.ends[index] - begin)};
}

walk::UnreadPaths ExtentQuery::unread() const {
  walk::UnreadPaths merged;
  for (const auto& worker : workers_) merged.merge(worker->reader.unread());
  return merged;
}

FileLayoutFigures ExtentQuery::figures() const {
  FileLayoutTally merged(0);
  for (const auto& worker : workers_) merged.merge(worker->reader.tally());
  FileLayoutFigures figures = merged.figures();
  figures.known = true;
  for (const auto& worker : workers_) {
    if (!worker->reader.reported()) {
      figures.known = false;
      figures.why = worker->reader.why();
      break;
    }
  }
  return figures;
}

}  // namespace brimwell::measure
