// The per-file part of a measurement: each file's extents and size, read on the walk's
// pool threads, with the file-layout figures kept per thread and merged at the end. Every
// file's extents are kept too (in one array a thread), so that they can be followed in walk
// order once the walk is over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "measure/file_layout.h"
#include "measure/growing_array.h"
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

  // Tallies and keeps the file's extents and its size (as opened, or as listed by path when
  // it cannot be opened; 0 when neither is known), and answers where they are kept.
  std::uint64_t ask(const std::string& path, const DirEntry& entry, std::size_t worker) override;

  struct File {
    std::uint64_t size = 0;
    std::span<const Extent> extents;  // none when they could not be read
  };
  // The file an answer of ask() names. Only once the walk is over.
  File file(std::uint64_t answer) const;

  // Every worker's tally merged; not known when the file system declined to report a
  // file's extents, with its reason.
  FileLayoutFigures figures() const;
  // The files that could not be opened, every worker's.
  walk::UnreadPaths unread() const;

 private:
  struct Worker {
    Worker(Volume& volume, std::uint32_t blockSize) : reader(volume, blockSize, true) {}
    LayoutReader reader;
    GrowingArray<Extent> extents;       // every file's, one file after another
    GrowingArray<std::uint64_t> sizes;  // per file
    GrowingArray<std::uint64_t> ends;   // per file: the index past its last extent
  };

  FileSystem& fs_;
  std::vector<std::unique_ptr<Worker>> workers_;  // apart, so workers share no cache line
};

}  // namespace brimwell::measure
