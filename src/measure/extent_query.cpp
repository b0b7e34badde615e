#include "measure/extent_query.h"

namespace brimwell::measure {

ExtentQuery::ExtentQuery(FileSystem& fs, std::uint32_t blockSize, std::size_t workers) : fs_(fs) {
  workers_.reserve(workers);
  for (std::size_t i = 0; i < workers; ++i) workers_.push_back(std::make_unique<Worker>(blockSize));
}

std::uint64_t ExtentQuery::ask(const std::string& path, const DirEntry& /*entry*/,
                               std::size_t worker) {
  Worker& own = *workers_[worker];
  std::uint64_t size = 0;
  std::string why;
  switch (own.reader.read(path, own.extents, size, why)) {
    case ExtentsAnswer::Read:
      own.tally.add(own.extents);
      break;
    case ExtentsAnswer::FileUnreadable:
      own.tally.addUnreadable();
      own.unread.addFile(path, std::move(why));
      if (PathAttributes listed; fs_.attributes(path, listed)) size = listed.size;
      break;
    case ExtentsAnswer::NotReported:
      // The size was read before the file system declined; the file is still counted.
      if (own.reported) own.why = std::move(why);
      own.reported = false;
      break;
  }
  return size;
}

walk::UnreadPaths ExtentQuery::unread() const {
  walk::UnreadPaths merged;
  for (const auto& worker : workers_) merged.merge(worker->unread);
  return merged;
}

FileLayoutFigures ExtentQuery::figures() const {
  FileLayoutTally merged(0);
  for (const auto& worker : workers_) merged.merge(worker->tally);
  FileLayoutFigures figures = merged.figures();
  figures.known = true;
  for (const auto& worker : workers_) {
    if (!worker->reported) {
      figures.known = false;
      figures.why = worker->why;
      break;
    }
  }
  return figures;
}

}  // namespace brimwell::measure
