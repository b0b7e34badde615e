#include "measure/layout_reader.h"

namespace brimwell::measure {

ExtentsAnswer LayoutReader::add(const std::string& path, std::uint64_t& size, bool listedRegular,
                                std::intptr_t folderHandle) {
  std::string why;
  const ExtentsAnswer answer =
      listedRegular ? reader_->readListedFile(path, folderHandle, extents_, size, why)
                    : reader_->read(path, extents_, size, why);
  switch (answer) {
    case ExtentsAnswer::Read:
      tally_.add(extents_);
      break;
    case ExtentsAnswer::FileUnreadable:
      tally_.addUnreadable();
      unread_.addFile(path, std::move(why));
      break;
    case ExtentsAnswer::Resident:
      tally_.addResident();
      break;
    case ExtentsAnswer::PlaceUnknown:
      tally_.addUnplaced();
      break;
    case ExtentsAnswer::NotReported:
      // The size was read before the file system declined; the file is still counted.
      if (reported_) why_ = std::move(why);
      reported_ = false;
      break;
  }
  return answer;
}

FileLayoutFigures LayoutReader::figures() const {
  FileLayoutFigures figures = tally_.figures();
  figures.known = reported_;
  figures.why = why_;
  return figures;
}

}  // namespace brimwell::measure
