// Reads files' extents one after another and tallies them into the file-layout figures.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "measure/file_layout.h"
#include "platform/volume.h"
#include "walk/unread_paths.h"

namespace brimwell::measure {

class LayoutReader {
 public:
  // Reads with a reader of `volume`'s, on a volume of `blockSize` bytes a block.
  // `placesWanted`: as Volume::extentReader's, for callers that follow blocks across files.
  LayoutReader(Volume& volume, std::uint32_t blockSize, bool placesWanted = false)
      : reader_(volume.extentReader(placesWanted)), tally_(blockSize) {}

  // Tallies the file `path` (a native path) and answers what its reader did. A file that
  // cannot be opened counts as unreadable and is named in unread(); one kept inside its file
  // record, or whose place the file system does not tell, is counted as such, never as a hole
  // nor among the files whose extents were read; when the file system does
  // not report extents, the first reason is kept and the figures are not known.
  // `listedRegular`: the folder's listing has just shown a regular file
  // (ExtentReader::readListedFile), and `folderHandle` is the listing's open folder
  // (DirEntry::folderHandle).
  Expected<FileMap> add(const std::string& path, bool listedRegular = false,
                        std::intptr_t folderHandle = -1);

  // The extents of the file last read, when add() answered it Mapped.
  const std::vector<Extent>& extents() const { return extents_; }
  const FileLayoutTally& tally() const { return tally_; }
  bool reported() const { return reported_; }
  const std::string& why() const { return why_; }
  const walk::UnreadPaths& unread() const { return unread_; }
  // The tally's figures, known unless the file system declined.
  FileLayoutFigures figures() const;

 private:
  std::unique_ptr<ExtentReader> reader_;  // keeps the folder open between its files
  FileLayoutTally tally_;
  std::vector<Extent> extents_;
  std::string why_;
  bool reported_ = true;
  walk::UnreadPaths unread_;
};

}  // namespace brimwell::measure
