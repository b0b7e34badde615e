// Where the pieces of cut files go, on a file system that places a range of a file exactly
// without writing it (fallocate). Each file's pieces are given their places (reserve) first
// piece first, in turns with other files' pieces, so that no piece is placed right after the
// piece of its own file placed before it. A file system places a piece where its file's
// previous piece ended when that place is free; a piece of another file placed in between
// moves it on, forward. A reader then meets a break and seeks forward, where pieces placed
// from the last to the first lay back to back in reverse order and one read-ahead joined
// them again.
//
// A placed piece still goes right after its file's previous one when the other file's piece
// went elsewhere (ext4 and XFS aim each file at its own folder's group), so a piece can be
// placed beyond a spacer of one block of its own file, which is then taken out again
// (collapse): the piece keeps its place, one free block past its predecessor, whatever the
// other files did. Each spacer leaves a free block behind, so how often one is used is
// chosen for the volume:
// - every piece after a file's first (Apart::Spacers): every cut a break, where the free
//   space may keep many single free blocks;
// - only the pieces of a file left alone (Apart::SpacersWhenAlone), where new files need the
//   free space in runs (XFS makes its inodes in runs of blocks: a spacer for every piece left
//   tens of thousands of single free blocks and no run for the inodes of new files). Files
//   then take turns only with files of their own folder, which the file system places in the
//   same group, so the other file's piece lands in between; a file whose folder ends, or that
//   is left at the end, places its last pieces beyond spacers.
// Whether the file system can take a range out is learnt on the first file; where it cannot
// (Btrfs), turns alone would join a share of the cuts again, so every file's pieces are
// placed from the last to the first, each file at once.
//
// Where zeros written into a hole place a range (ntfs-3g), a piece is asked for where it
// would continue its file's nearest placed piece; where that place is taken it goes to a free
// run at the file system's own position, which moves on by many megabytes with each such
// piece and comes round the volume again. Placed first piece first, the place after the
// previous piece is free and the pieces join again; from the last to the first, the place
// before the next piece (the start of a free run) is mostly taken, so each piece goes off to
// that moving position. Each file alone, its pieces met again where the position came round
// and lay side by side, out of order, read in one pass (a 256 MiB volume: 29 % of breaks
// cost a reader a seek); so the pieces are placed from the last to the first in turns with
// other files, whose pieces come in between (69 %). No spacer is asked for there.
//
// Files come one at a time and their pieces are placed as soon as the turns allow: the file
// with the most pieces left that is not the one just placed goes next, so between two calls
// at most one file waits for a partner, open. A file whose pieces are all placed is handed
// back, to be written and closed. At the end a file left alone places its last pieces on
// its own, each beyond its spacer where spacers are used. Nothing here depends on timing:
// the places are asked for in the order of the calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace brimwell::aging {

class PieceTurns {
 public:
  struct File {
    std::size_t row = 0;
    std::unique_ptr<WritableFile> file;
    std::int64_t cuts = 0;
    std::vector<std::uint64_t> bounds;  // the pieces' starts, ascending, then the file's end
    std::size_t placed = 0;             // pieces placed so far
    std::string_view folder;            // turns only within it (Apart::SpacersWhenAlone)
    std::size_t piecesLeft() const { return bounds.size() - 1 - placed; }
  };
  // Told of a file whose pieces are all placed; false: a failure, which ends the placing.
  using Placed = std::function<bool(File&)>;

  // How a file's later pieces are kept off the ones before.
  enum class Apart {
    Spacers,           // beyond a spacer where one can be taken out again; else each file backward
    SpacersWhenAlone,  // by turns within a folder, beyond a spacer only when alone; as Spacers
                       // where none can be taken out
    Turns,  // by the turns alone, each file from its last piece (zeros written into a hole)
  };

  // On a volume of `blockSize` bytes a block (a spacer's size). With SpacersWhenAlone, each
  // file added allows `spacersPerJoin` spacers for each of its joins, saved up for the pieces
  // placed alone: the holes the spacers leave stay within what the free space can spare, and
  // where it cannot spare one for every such piece, the pieces spaced are spread evenly over
  // the files (a piece without one may join its predecessor, which the steer learns alike).
  explicit PieceTurns(std::uint32_t blockSize, Apart apart = Apart::Spacers,
                      double spacersPerJoin = 1.0)
      : block_(blockSize == 0 ? 4096 : blockSize),
        apart_(apart),
        spacersPerJoin_(spacersPerJoin),
        spacing_(apart == Apart::Turns ? Spacing::Unspaced : Spacing::Unknown) {}

  // Adds a file of two pieces or more and places what the turns allow. False when a reserve
  // or `placed` failed: the files not handed back stay for takeOpen(), and error() holds the
  // reserve's Windows error number (0 when `placed` failed).
  bool add(File file, const Placed& placed);
  // Places every piece left. False on a failure, as add().
  bool finish(const Placed& placed);
  // The files not yet handed back (after a failure, to be removed); none stay.
  std::vector<File> takeOpen();
  int error() const { return error_; }
  // The row of the file whose piece was placed last, or failed to be.
  std::size_t lastRow() const { return lastRow_; }

 private:
  // The file whose piece goes next: the most pieces left, not the one just placed; ties go
  // to the earlier file. open_.size() when none may go.
  std::size_t nextTurn() const;
  // Places the file's next piece (from the last when `backward`); false on a failure.
  bool placeOne(std::size_t index, bool backward, const Placed& placed);
  // Places the pieces left of the file at `index`, from the last to the first when
  // `backward`.
  bool placeRest(std::size_t index, bool backward, const Placed& placed);
  // Places the pieces left of the file at `index` with no partner: beyond spacers where they
  // are used, else as the turns would.
  bool placeAlone(std::size_t index, const Placed& placed);
  // Whether the piece after a file's first, placed now, goes beyond a spacer.
  bool spaceNext();
  // Gives the piece [start, end) of `file` its place: beyond a spacer when `spaced`. Returns
  // the Windows error number.
  int reserve(WritableFile& file, std::uint64_t start, std::uint64_t end, bool spaced);
  // Learns, on the first file, whether spacers can be taken out again.
  int learnSpacing(WritableFile& file);

  // Unspaced: turns without spacers, each file from its last piece; Plain: each file from its
  // last piece, at once.
  enum class Spacing { Unknown, Spaced, Plain, Unspaced };
  bool backwardTurns() const { return spacing_ == Spacing::Unspaced; }
  std::uint64_t block_;
  Apart apart_;
  double spacersPerJoin_;
  double spacersSaved_ = 0;  // spacers the files added allow, not yet used
  Spacing spacing_;
  bool alone_ = false;  // placing a file's pieces with no partner
  std::vector<File> open_;
  const WritableFile* last_ = nullptr;  // the file placed just before
  int error_ = 0;
  std::size_t lastRow_ = 0;
};

}  // namespace brimwell::aging
