#include "measure/layout_reader.h"

namespace brimwell::measure {

Expected<FileMap> LayoutReader::add(const std::string& path, bool listedRegular,
                                    std::intptr_t folderHandle) {
  Expected<FileMap> map = listedRegular ? reader_->readListedFile(path, folderHandle, extents_)
                                        : reader_->read(path, extents_);
  if (!map) {
    tally_.addUnreadable();
    unread_.addFile(path, map.failure().message());
    return map;
  }
  switch (map->place) {
    case FilePlace::Mapped:
      tally_.add(extents_);
      break;
    case FilePlace::Resident:
      tally_.addResident();
      break;
    case FilePlace::Unknown:
      tally_.addUnplaced();
      break;
    case FilePlace::NotReported:
      // The size was read before the file system declined; the file is still counted.
      if (reported_) why_ = map->notReported ? map->notReported->explained() : std::string();
      reported_ = false;
      break;
  }
  return map;
}

FileLayoutFigures LayoutReader::figures() const {
  FileLayoutFigures figures = tally_.figures();
  figures.known = reported_;
  figures.why = why_;
  return figures;
}

}  // namespace brimwell::measure
