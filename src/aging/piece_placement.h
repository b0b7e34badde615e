// How the pieces of files cut for a layout get their places on the volume and their bytes.
//
// The writer for a layout (layout_writer.h) plans each file's cuts and hands the file here;
// a placement decides when and in which order the pieces are placed and written, and tells
// the writer which files are written whole, so it can measure them and steer the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "aging/piece_turns.h"
#include "app/text_table.h"
#include "diskops/list_writing.h"
#include "platform/file_system.h"

namespace brimwell::aging {

class PiecePlacement {
 public:
  virtual ~PiecePlacement() = default;
  // Places and writes the file of `row` of the list, `size` bytes in pieces that start at
  // `cuts` (offsets in the file, ascending; the piece at 0 is not listed; the vector may
  // change after the call), and calls the placement's `written` for every file whose bytes
  // are all written (this one, or files held back before it). False when a write or a close failed:
  // the run ends there.
  virtual bool write(std::size_t row, std::int64_t size, const std::vector<std::int64_t>& cuts) = 0;
  // Writes the files still held back; false as for write().
  virtual bool finish() = 0;
  // After write() or finish() failed: the row of the file whose place or bytes could not be
  // written.
  virtual std::size_t failedRow() const = 0;
  // After a failure (or an exception): removes the files held back, whose places are given
  // but whose bytes are not all written, so that no file on the list is left at its full
  // length holding zeros.
  virtual void abandon() {}
};

// Told of each file written whole: its row and the cuts it was given.
using PiecesWritten = std::function<void(std::size_t row, std::int64_t cuts)>;

// Places a file's pieces from the last to the first, then writes its bytes front to back
// into the places, one file after the other.
std::unique_ptr<PiecePlacement> lastPieceFirst(const TextTable& list, diskops::ListWriting& writing,
                                               PiecesWritten written);

// Places cut files' pieces in turns with other cut files, kept apart as `apart` says
// (aging/piece_turns.h: first piece first, beyond spacer blocks taken out again, where
// fallocate places a range exactly; last piece first by the turns alone where zeros written
// into a hole place it), for a volume of `blockSize` bytes a block, with `spacersPerJoin` as
// PieceTurns takes it; holds back at most one file between calls. abandon() removes what it
// holds, through `fs`.
std::unique_ptr<PiecePlacement> piecesInTurns(const TextTable& list, diskops::ListWriting& writing,
                                              PiecesWritten written, FileSystem& fs,
                                              std::uint32_t blockSize, PieceTurns::Apart apart,
                                              double spacersPerJoin = 1.0);

}  // namespace brimwell::aging
