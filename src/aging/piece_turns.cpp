#include "aging/piece_turns.h"

#include <utility>

namespace brimwell::aging {
namespace {

int reserveRange(WritableFile& file, std::uint64_t offset, std::uint64_t size) {
  bool placed = false;
  return file.reserve(offset, size, placed);
}

}  // namespace

std::size_t PieceTurns::nextTurn() const {
  std::size_t best = open_.size();
  for (std::size_t i = 0; i < open_.size(); ++i) {
    if (open_[i].file.get() == last_) continue;
    if (best == open_.size() || open_[i].piecesLeft() > open_[best].piecesLeft()) best = i;
  }
  return best;
}

int PieceTurns::learnSpacing(WritableFile& file) {
  // Two blocks at the file's start, the first taken out again: the file keeps one block,
  // which its first piece then continues. Where nothing can be taken out, the two blocks
  // stay; a cut file has two blocks at least, and its pieces still reserve every block.
  if (const int error = reserveRange(file, 0, 2 * block_); error != 0) return error;
  const int error = file.collapse(0, block_);
  if (error != 0 && error != winerr::kNotSupported) return error;
  spacing_ = error == 0 ? Spacing::Spaced : Spacing::Plain;
  return 0;
}

bool PieceTurns::spaceNext() {
  if (spacing_ != Spacing::Spaced) return false;
  if (apart_ != Apart::SpacersWhenAlone) return true;
  if (!alone_ || spacersSaved_ < 1) return false;
  spacersSaved_ -= 1;
  return true;
}

int PieceTurns::reserve(WritableFile& file, std::uint64_t start, std::uint64_t end, bool spaced) {
  if (!spaced) return reserveRange(file, start, end - start);
  // The spacer goes where the piece would, right after the previous piece; the piece right
  // after the spacer; then the spacer is taken out and the piece moves down into its range.
  if (const int error = reserveRange(file, start, block_); error != 0) return error;
  if (const int error = reserveRange(file, start + block_, end - start); error != 0) return error;
  return file.collapse(start, block_);
}

bool PieceTurns::placeOne(std::size_t index, bool backward, const Placed& placed) {
  File& file = open_[index];
  // Forward: the next piece from the front. Backward: the last piece not yet placed, the
  // placed count then standing for the pieces placed from the end.
  const std::size_t piece = backward ? file.bounds.size() - 2 - file.placed : file.placed;
  const bool spaced = !backward && piece > 0 && spaceNext();
  lastRow_ = file.row;
  error_ = reserve(*file.file, file.bounds[piece], file.bounds[piece + 1], spaced);
  if (error_ != 0) return false;
  ++file.placed;
  last_ = file.file.get();
  if (file.piecesLeft() > 0) return true;
  if (!placed(file)) return false;
  open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

bool PieceTurns::placeRest(std::size_t index, bool backward, const Placed& placed) {
  const WritableFile* placing = open_[index].file.get();
  while (index < open_.size() && open_[index].file.get() == placing) {
    if (!placeOne(index, backward, placed)) return false;
  }
  return true;
}

bool PieceTurns::placeAlone(std::size_t index, const Placed& placed) {
  alone_ = true;
  const bool ok = placeRest(index, backwardTurns(), placed);
  alone_ = false;
  return ok;
}

bool PieceTurns::add(File file, const Placed& placed) {
  if (apart_ == Apart::SpacersWhenAlone) {
    const std::uint64_t blocks = (file.bounds.back() + block_ - 1) / block_;
    spacersSaved_ += spacersPerJoin_ * static_cast<double>(blocks - 1);
    // A file of another folder lands elsewhere: the file waiting goes on alone.
    while (!open_.empty() && open_.front().folder != file.folder) {
      if (!placeAlone(0, placed)) return false;
    }
  }
  open_.push_back(std::move(file));
  if (spacing_ == Spacing::Unknown) {
    lastRow_ = open_.back().row;
    error_ = learnSpacing(*open_.back().file);
    if (error_ != 0) return false;
  }
  if (spacing_ == Spacing::Plain) return placeRest(open_.size() - 1, true, placed);
  for (std::size_t turn = nextTurn(); turn < open_.size(); turn = nextTurn()) {
    if (!placeOne(turn, backwardTurns(), placed)) return false;
  }
  return true;
}

bool PieceTurns::finish(const Placed& placed) {
  // The turns leave at most one file with pieces, the one placed last: its spacers still
  // keep its pieces apart (without spacers, it goes on from its last piece, as a file alone).
  while (!open_.empty()) {
    if (!placeAlone(0, placed)) return false;
  }
  return true;
}

std::vector<PieceTurns::File> PieceTurns::takeOpen() {
  std::vector<File> open = std::move(open_);
  open_.clear();
  last_ = nullptr;
  return open;
}

}  // namespace brimwell::aging
