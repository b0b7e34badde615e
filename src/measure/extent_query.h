// The per-file part of a measurement: each file's extents and size, read on the walk's
// pool threads, with the file-layout figures kept per thread and merged at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "measure/file_layout.h"
#include "measure/layout_reader.h"
#include "measure/measurement.h"
#include "platform/file_system.h"
#include "platform/volume.h"
#include "walk/file_query.h"
#include "walk/unread_paths.h"

namespace brimwell::measure {

class ExtentQuery final : public walk::FileQuery {
 public:
  // For a walk of up to `workers` threads, on `volume` of `blockSize` bytes a block.
  ExtentQuery(FileSystem& fs, Volume& volume, std::uint32_t blockSize, std::size_t workers);

  // Tallies the file's extents and answers its size: as opened, or as listed by path when
  // it cannot be opened (0 when neither is known).
  std::uint64_t ask(const std::string& path, const DirEntry& entry, std::size_t worker) override;

  // Every worker's tally merged; not known when the file system declined to report a
  // file's extents, with its reason.
  FileLayoutFigures figures() const;
  // The files that could not be opened, every worker's.
  walk::UnreadPaths unread() const;

 private:
  FileSystem& fs_;
  std::vector<std::unique_ptr<LayoutReader>> workers_;  // apart, so workers share no cache line
};

}  // namespace brimwell::measure
