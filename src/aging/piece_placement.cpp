#include "aging/piece_placement.h"

#include <string>

namespace brimwell::aging {
namespace {

class LastPieceFirst final : public PiecePlacement {
 public:
  LastPieceFirst(const TextTable& list, diskops::ListWriting& writing, PiecesWritten written)
      : list_(list), writing_(writing), written_(std::move(written)) {}

  bool write(std::size_t row, std::int64_t size, const std::vector<std::int64_t>& cuts) override {
    auto file = writing_.create(std::string(list_.caption(row)));
    if (!place(*file, size, cuts) || !writing_.write(*file, size) || !writing_.close(*file)) {
      file->close();
      return false;
    }
    written_(row, static_cast<std::int64_t>(cuts.size()));
    return true;
  }

  bool finish() override { return true; }

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
};

}  // namespace

std::unique_ptr<PiecePlacement> lastPieceFirst(const TextTable& list, diskops::ListWriting& writing,
                                               PiecesWritten written) {
  return std::make_unique<LastPieceFirst>(list, writing, std::move(written));
}

}  // namespace brimwell::aging
