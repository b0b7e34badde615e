#include "aging/piece_placement.h"

#include <string>
#include <utility>

namespace brimwell::aging {
namespace {

class LastPieceFirst final : public PiecePlacement {
 public:
  LastPieceFirst(const TextTable& list, diskops::ListWriting& writing, PiecesWritten written)
      : list_(list), writing_(writing), written_(std::move(written)) {}

  bool write(std::size_t row, std::int64_t size, const std::vector<std::int64_t>& cuts) override {
    failedRow_ = row;
    auto file = writing_.create(std::string(list_.caption(row)));
    if (!place(*file, size, cuts) || !writing_.write(*file, size) || !writing_.close(*file)) {
      file->close();
      return false;
    }
    written_(row, static_cast<std::int64_t>(cuts.size()));
    return true;
  }

  bool finish() override { return true; }
  std::size_t failedRow() const override { return failedRow_; }

 private:
  // A file without a cut is placed as the file system likes when it is written.
  bool place(WritableFile& file, std::int64_t size, const std::vector<std::int64_t>& cuts) {
    std::int64_t end = size;
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
      if (!reserve(file, *cut, end)) return false;
      end = *cut;
    }
    return cuts.empty() || reserve(file, 0, end);
  }

  bool reserve(WritableFile& file, std::int64_t from, std::int64_t to) {
    bool placed = false;
    const int error = file.reserve(static_cast<std::uint64_t>(from),
                                   static_cast<std::uint64_t>(to - from), placed);
    if (error != 0) writing_.failedWith(error);
    return error == 0;
  }

  const TextTable& list_;
  diskops::ListWriting& writing_;
  PiecesWritten written_;
  std::size_t failedRow_ = 0;
};

class InTurns final : public PiecePlacement {
 public:
  InTurns(const TextTable& list, diskops::ListWriting& writing, PiecesWritten written,
          FileSystem& fs, std::uint32_t blockSize, PieceTurns::Apart apart, double spacersPerJoin)
      : list_(list),
        writing_(writing),
        written_(std::move(written)),
        fs_(fs),
        block_(blockSize),
        wholeInOne_(apart == PieceTurns::Apart::Spacers),
        turns_(blockSize, apart, spacersPerJoin),
        writePlaced_([this](PieceTurns::File& file) { return writePlaced(file); }) {}

  bool write(std::size_t row, std::int64_t size, const std::vector<std::int64_t>& cuts) override {
    failedRow_ = row;
    auto file = writing_.create(std::string(list_.caption(row)));
    if (cuts.empty()) {  // written whole
      if (!placeWhole(*file, size)) {
        // A reserve that failed may have placed part of the file, which would read as zeros.
        file->close();
        fs_.deleteFile(std::string(list_.caption(row)));
        return false;
      }
      if (writing_.write(*file, size) && writing_.close(*file)) {
        written_(row, 0);
        return true;
      }
      file->close();
      return false;
    }
    PieceTurns::File cut{row,
                         std::move(file),
                         static_cast<std::int64_t>(cuts.size()),
                         {},
                         0,
                         writing_.folderOf(list_.caption(row))};
    cut.bounds.reserve(cuts.size() + 2);
    cut.bounds.push_back(0);
    for (const std::int64_t at : cuts) cut.bounds.push_back(static_cast<std::uint64_t>(at));
    cut.bounds.push_back(static_cast<std::uint64_t>(size));
    return placed(turns_.add(std::move(cut), writePlaced_));
  }

  bool finish() override { return placed(turns_.finish(writePlaced_)); }
  std::size_t failedRow() const override { return failedRow_; }

  void abandon() override {
    for (PieceTurns::File& file : turns_.takeOpen()) {
      file.file->close();
      fs_.deleteFile(std::string(list_.caption(file.row)));
    }
  }

 private:
  bool placed(bool ok) {
    if (!ok && turns_.error() != 0) {
      writing_.failedWith(turns_.error());
      failedRow_ = turns_.lastRow();
    }
    return ok;
  }

  // Where ranges are placed exactly, a file written whole is placed in one piece before its
  // data is written: written out later, the file system would place it in the runs its free
  // space has left, and on a volume filled to 90 % those breaks alone took more than a score
  // of 0.86 leaves. Elsewhere it is placed as the file system likes when it is written.
  bool placeWhole(WritableFile& file, std::int64_t size) {
    if (!wholeInOne_ || size <= static_cast<std::int64_t>(block_)) return true;
    bool placedAtOnce = false;
    const int error = file.reserve(0, static_cast<std::uint64_t>(size), placedAtOnce);
    if (error != 0) writing_.failedWith(error);
    return error == 0;
  }

  // Writes the data of a cut file into the places its pieces were given.
  bool writePlaced(PieceTurns::File& file) {
    failedRow_ = file.row;
    if (!writing_.write(*file.file, diskops::listedFileSize(list_, file.row)) ||
        !writing_.close(*file.file)) {
      return false;
    }
    written_(file.row, file.cuts);
    return true;
  }

  const TextTable& list_;
  diskops::ListWriting& writing_;
  PiecesWritten written_;
  FileSystem& fs_;
  std::uint32_t block_;
  bool wholeInOne_;  // files written whole are placed first, in one piece
  PieceTurns turns_;
  const PieceTurns::Placed writePlaced_;
  std::size_t failedRow_ = 0;
};

}  // namespace

std::unique_ptr<PiecePlacement> lastPieceFirst(const TextTable& list, diskops::ListWriting& writing,
                                               PiecesWritten written) {
  return std::make_unique<LastPieceFirst>(list, writing, std::move(written));
}

std::unique_ptr<PiecePlacement> piecesInTurns(const TextTable& list, diskops::ListWriting& writing,
                                              PiecesWritten written, FileSystem& fs,
                                              std::uint32_t blockSize, PieceTurns::Apart apart,
                                              double spacersPerJoin) {
  return std::make_unique<InTurns>(list, writing, std::move(written), fs, blockSize, apart,
                                   spacersPerJoin);
}

}  // namespace brimwell::aging
