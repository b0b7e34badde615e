// Tallies the extents of files, one file at a time, into the file-layout figures.
#pragma once

#include <cstdint>
#include <vector>

#include "measure/measurement.h"
#include "platform/volume_layout.h"

namespace brimwell::measure {

class FileLayoutTally {
 public:
  explicit FileLayoutTally(std::uint32_t blockSize) : blockSize_(blockSize == 0 ? 1 : blockSize) {}

  // One file's extents, merged as readFileExtents gives them.
  void add(const std::vector<Extent>& extents);
  void addUnreadable() { ++figures_.unreadable; }
  void addResident() { ++figures_.resident; }
  void addUnplaced() { ++figures_.unplaced; }
  // Adds the files another tally took (its block size is not looked at).
  void merge(const FileLayoutTally& other);

  const FileLayoutFigures& figures() const { return figures_; }

 private:
  std::uint64_t blockSize_;
  FileLayoutFigures figures_;
};

// The extent class of a file (see kExtentClasses).
std::size_t extentClass(std::int64_t extents);

// The free-space figures of a volume's free extents.
FreeSpaceFigures freeSpaceFigures(std::vector<Extent> extents);

}  // namespace brimwell::measure
