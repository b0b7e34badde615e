#include "aging/layout_writer.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "aging/list_layout.h"
#include "app/failure.h"
#include "diskops/list_writing.h"
#include "diskops/writer.h"
#include "platform/volume_layout.h"

namespace brimwell::aging {
namespace {

constexpr std::uint32_t kShareSteps = 1u << 20;  // the resolution of a cut's chance
constexpr int kMeasuresPerBatch = 64;            // how often the steer learns, at most

std::int64_t blocksOf(std::int64_t size, std::uint32_t blockSize) {
  return (size + blockSize - 1) / blockSize;
}

std::string scoreText(double score) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", score);
  return text;
}

// A listed file being written: its pieces in bytes, in order.
struct OpenFile {
  std::size_t row = 0;
  std::unique_ptr<WritableFile> file;
  std::vector<std::int64_t> pieces;
  std::size_t next = 0;
  std::int64_t cuts = 0;
  std::size_t left() const { return pieces.size() - next; }
};

class PieceWriter {
 public:
  PieceWriter(Context& context, const LayoutAim& aim)
      : context_(context),
        list_(context.lists.files1),
        blockSize_(aim.blockSize),
        joins_(listJoins(list_, blockSize_)),
        steer_(aim.score, aim.onDisk, joins_),
        measureEvery_(joins_ / kMeasuresPerBatch + 1),
        writing_(context) {
    for (std::size_t row = 0; row < list_.rowCount(); ++row) {
      bytes_ += diskops::listedFileSize(list_, row);
    }
  }

  Outcome run() {
    std::size_t row = 0;
    std::size_t last = list_.rowCount();  // the row whose piece went last
    for (;;) {
      // The file with the most pieces left that did not just get one; the next file of the
      // list when there is none, so a cut file's pieces always have another's in between.
      OpenFile* pick = nullptr;
      for (OpenFile& open : open_) {
        if (open.row != last && (pick == nullptr || open.left() > pick->left())) pick = &open;
      }
      if (pick == nullptr) {
        if (row < list_.rowCount()) {
          open_.push_back(plan(row++));
          continue;
        }
        if (open_.empty()) break;
        pick = &open_.front();  // nothing left to put between: its pieces join
      }
      const std::int64_t piece = pick->pieces[pick->next++];
      if (!writing_.write(*pick->file, piece, true)) return failed();
      last = pick->row;
      written_ += piece;
      if (pick->left() == 0) {
        if (pick->file->close() != 0) return failed();
        finished(*pick);
        open_.erase(open_.begin() + (pick - open_.data()));
        context_.feedback.setProgress(bytes_ == 0 ? 100
                                                  : static_cast<int>(written_ * 100 / bytes_));
        if (!context_.feedback.carryOn()) return diskops::stoppedByUser(context_.feedback);
      }
    }
    return Outcome::Done;
  }

 private:
  OpenFile plan(std::size_t row) {
    OpenFile open;
    open.row = row;
    open.file = writing_.create(std::string(list_.caption(row)));
    const std::int64_t size = diskops::listedFileSize(list_, row);
    const std::int64_t joins = std::max<std::int64_t>(blocksOf(size, blockSize_) - 1, 0);
    const auto chance = static_cast<std::uint32_t>(steer_.cutShare() * kShareSteps);
    std::int64_t start = 0;
    for (std::int64_t join = 1; join <= joins && chance > 0; ++join) {
      if (context_.random.draw(kShareSteps) >= chance) continue;
      const std::int64_t end = join * blockSize_;
      open.pieces.push_back(end - start);
      start = end;
    }
    open.pieces.push_back(size - start);
    open.cuts = static_cast<std::int64_t>(open.pieces.size()) - 1;
    steer_.planned(joins, open.cuts);
    return open;
  }

  // Measures the finished files in batches and steers the rest by what they show.
  void finished(const OpenFile& open) {
    done_.push_back(open.row);
    doneCuts_ += open.cuts;
    doneJoins_ += std::max<std::int64_t>(
        blocksOf(diskops::listedFileSize(list_, open.row), blockSize_) - 1, 0);
    if (doneJoins_ < measureEvery_) return;
    steer_.measured(layoutJoins(listLayout(list_, done_, blockSize_)), doneCuts_);
    done_.clear();
    doneCuts_ = 0;
    doneJoins_ = 0;
  }

  Outcome failed() {
    for (OpenFile& open : open_) open.file->close();
    return writing_.failed();
  }

  Context& context_;
  const TextTable& list_;
  std::uint32_t blockSize_;
  std::int64_t joins_;
  LayoutSteer steer_;
  std::int64_t measureEvery_;
  diskops::ListWriting writing_;
  std::vector<OpenFile> open_;
  std::vector<std::size_t> done_;  // finished, not yet measured
  std::int64_t doneCuts_ = 0;
  std::int64_t doneJoins_ = 0;
  std::int64_t bytes_ = 0;
  std::int64_t written_ = 0;
};

}  // namespace

LayoutAim layoutAim(double score, const TextTable& onDisk, const std::string& target) {
  LayoutAim aim;
  aim.score = score;
  VolumeSpace space;
  std::string why;
  if (readVolumeSpace(target, space, why) && space.blockSize > 0) aim.blockSize = space.blockSize;
  aim.onDisk = layoutJoins(listLayout(onDisk, aim.blockSize));
  return aim;
}

std::int64_t listJoins(const TextTable& list, std::uint32_t blockSize) {
  std::int64_t joins = 0;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    joins += std::max<std::int64_t>(blocksOf(diskops::listedFileSize(list, row), blockSize) - 1, 0);
  }
  return joins;
}

void checkLayoutReach(const TextTable& list, const LayoutAim& aim, const std::string& target) {
  const LayoutReach reach = layoutReach(aim.onDisk, listJoins(list, aim.blockSize));
  const char* bound = nullptr;
  double nearest = 0;
  if (aim.score < reach.lowest - 0.005) {
    bound = "no lower";
    nearest = reach.lowest;
  } else if (aim.score > reach.highest + 0.005) {
    bound = "no higher";
    nearest = reach.highest;
  } else {
    return;
  }
  throw Failure("--layout " + scoreText(aim.score) + " cannot be reached on the volume holding " +
                target + ": with the files on it and those listed, its layout score can go " +
                bound + " than " + scoreText(nearest));
}

Outcome reproduceToLayout(Context& context, const LayoutAim& aim) {
  Feedback& feedback = context.feedback;
  if (!diskops::confirmListTotal(context)) return Outcome::Declined;
  feedback.setStatus("Reproducing folder structure...");
  feedback.setProgress(0);
  feedback.pump();
  const Outcome outcome = PieceWriter(context, aim).run();
  if (outcome != Outcome::Done) return outcome;
  feedback.setProgress(0);
  feedback.setStatus("Done.");
  feedback.pump();
  return Outcome::Done;
}

}  // namespace brimwell::aging
