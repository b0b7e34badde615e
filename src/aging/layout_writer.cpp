#include "aging/layout_writer.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "aging/list_layout.h"
#include "aging/piece_placement.h"
#include "aging/volume_plan.h"
#include "app/failure.h"
#include "app/size_text.h"
#include "diskops/list_writing.h"
#include "diskops/percent.h"
#include "diskops/writer.h"

namespace brimwell::aging {
namespace {

constexpr std::uint32_t kShareSteps = 1u << 20;  // the resolution of a cut's chance
constexpr int kMeasuresPerList = 64;             // how often the steer learns, at most

// The state of the cuts' own random source, made from the job's without drawing from it.
// The cuts drawn depend on how the file system placed the files measured so far; with a
// source of their own, the job's draws after the batch (the sort-out's) stay the same
// whatever the placement, and the same as without --layout, so the same seed deletes the
// same files. The job's state is mixed (the finaliser of a 32-bit hash), as that state
// itself would give the job's own sequence again.
std::uint32_t cutSeed(const RandomSource& job) {
  std::uint32_t seed = job.state();
  seed ^= seed >> 16;
  seed *= 0x85EBCA6Bu;
  seed ^= seed >> 13;
  seed *= 0xC2B2AE35u;
  return seed ^ (seed >> 16);
}

// Plans each file's cuts as it comes: with the steer's share of its joins, or into the
// pieces planned for it (run --like), and learns from the files measured.
class CutPlanner {
 public:
  // `countedJoins`: the joins of the rows the aim counts.
  CutPlanner(const TextTable& list, const LayoutAim& aim, std::int64_t countedJoins,
             const RandomSource& job)
      : blockSize_(aim.blockSize),
        steer_(aim.score, aim.onDisk, countedJoins),
        aim_(aim),
        plan_(aim.classShares ? std::optional<ExtentPlan>(std::in_place, list, blockSize_,
                                                          *aim.classShares, aim.onDiskClasses)
                              : std::nullopt),
        random_(cutSeed(job)) {}

  // The cuts of the file in `row` of `size` bytes: offsets in the file, ascending. Each row
  // once, in order. Planned: each join is cut with the chance of the cuts still wanted among
  // the joins left.
  const std::vector<std::int64_t>& cuts(std::size_t row, std::int64_t size) {
    const std::int64_t joins = fileJoins(size, blockSize_);
    const auto chance = static_cast<std::uint32_t>(steer_.cutShare() * kShareSteps);
    std::int64_t wanted = plan_ ? plan_->cuts(row, steer_.cutsToCome()) : 0;
    cuts_.clear();
    for (std::int64_t join = joins; join >= 1 && (plan_ ? wanted > 0 : chance > 0); --join) {
      const bool cut = plan_ ? random_.draw(static_cast<std::uint32_t>(join)) < wanted
                             : random_.draw(kShareSteps) < chance;
      if (cut) {
        cuts_.push_back(join * blockSize_);
        --wanted;
      }
    }
    std::reverse(cuts_.begin(), cuts_.end());
    // A file the erase takes is cut as the others are, and counts for nothing.
    if (aim_.counted(row)) steer_.planned(joins, static_cast<std::int64_t>(cuts_.size()));
    return cuts_;
  }

  // The cuts the steer wants in the files still to be planned.
  double cutsToCome() const { return steer_.cutsToCome(); }

  // Files written since the last call: those planned with `cuts` cuts hold `cutFiles`, those
  // planned whole `wholeFiles`.
  void measured(const LayoutJoins& cutFiles, std::int64_t cuts, const LayoutJoins& wholeFiles) {
    steer_.measured(cutFiles, cuts, wholeFiles);
  }

 private:
  std::uint32_t blockSize_;
  LayoutSteer steer_;
  const LayoutAim& aim_;
  std::optional<ExtentPlan> plan_;
  RandomSource random_;
  std::vector<std::int64_t> cuts_;
};

class PieceWriter {
 public:
  PieceWriter(Context& context, const LayoutAim& aim)
      : context_(context),
        list_(context.lists.files1),
        aim_(aim),
        blockSize_(aim.blockSize),
        joins_(listJoins(list_, blockSize_)),
        countedJoins_(aim.stays.empty() ? joins_ : listJoins(list_, blockSize_, aim.stays)),
        measureEvery_(countedJoins_ / kMeasuresPerList + 1),
        planner_(list_, aim, countedJoins_, context.random),
        writing_(context),
        placement_(placementFor(aim)) {}

  Outcome run() {
    try {
      return writeRows();
    } catch (...) {
      placement_->abandon();
      throw;
    }
  }

 private:
  // Pieces in turns where fallocate places ranges exactly: beyond a spacer each where the
  // free space may keep the spacers' single-block holes; where new files need free runs
  // (XFS makes inodes from runs of blocks: a spacer for every piece refused new files on a
  // 1 GiB image at --fill 80 with 220 MiB free), in turns within each folder and beyond
  // spacers only when alone, as long as the free space can spare their holes. From the last
  // to the first in turns where zeros written into a hole place a range (ntfs-3g), so other
  // files' pieces come between a file's; elsewhere from the last to the first, each file at
  // once.
  std::unique_ptr<PiecePlacement> placementFor(const LayoutAim& aim) {
    PiecesWritten written = [this](std::size_t row, std::int64_t cuts) { finished(row, cuts); };
    if (aim.placement == RangePlacement::Allocate && aim.holesAllowed) {
      return piecesInTurns(list_, writing_, std::move(written), context_.fs, blockSize_,
                           PieceTurns::Apart::Spacers);
    }
    const auto spared = static_cast<double>(sparedHoles(aim));
    if (aim.placement == RangePlacement::Allocate && joins_ > 0 &&
        spared >= planner_.cutsToCome() / 2) {
      return piecesInTurns(list_, writing_, std::move(written), context_.fs, blockSize_,
                           PieceTurns::Apart::SpacersWhenAlone,
                           spared / static_cast<double>(joins_));
    }
    if (aim.placement == RangePlacement::Zeros) {
      return piecesInTurns(list_, writing_, std::move(written), context_.fs, blockSize_,
                           PieceTurns::Apart::Turns);
    }
    return lastPieceFirst(list_, writing_, std::move(written));
  }

  // The spacers' single-block holes the free space can spare where new files need free runs:
  // three quarters of the blocks left free once the batch's joins are written. About
  // half the cuts are placed alone (1 GiB XFS, unix-1993, --layout 0.5); where the holes
  // cannot cover that, the pieces go from the last to the first, each file at once, which
  // needs no spacer. A 1 GiB XFS volume at --fill 80 --layout 0.5 kept room for new files'
  // inodes with about 35,000 holes and 54,000 blocks free after the batch; at --fill 95 it
  // refused a new file (63,000 pieces alone, 18,000 blocks free).
  std::int64_t sparedHoles(const LayoutAim& aim) const {
    const std::int64_t freeAfter = static_cast<std::int64_t>(aim.freeBytes / blockSize_) - joins_ -
                                   static_cast<std::int64_t>(list_.rowCount());
    return std::max<std::int64_t>(freeAfter * 3 / 4, 0);
  }

  Outcome writeRows() {
    const std::size_t rows = list_.rowCount();
    for (std::size_t row = 0; row < rows; ++row) {
      const std::int64_t size = diskops::listedFileSize(list_, row);
      const std::vector<std::int64_t>& cuts = planner_.cuts(row, size);
      const auto fileCuts = static_cast<std::int64_t>(cuts.size());
      if (!placement_->write(row, size, cuts)) return failed();
      // A file with more cuts than a measuring step could move the end by more than the
      // rest can make up for once it is measured, and its pieces may wait for partners to
      // the end of the list: it is finished and measured now, while files are left to steer.
      if (fileCuts >= measureEvery_ && row + 1 < rows) {
        if (!placement_->finish()) return failed();
        measureDone(Settle::Now);
      }
      context_.feedback.setProgress(diskops::percentOf(row + 1, rows));
      if (!context_.feedback.carryOn()) {
        // The files whose places are given are finished, so none is left full of zeros.
        if (!placement_->finish()) return failed();
        return diskops::stoppedByUser(context_.feedback);
      }
    }
    return placement_->finish() ? Outcome::Done : failed();
  }

  Outcome failed() {
    placement_->abandon();
    return writing_.failed(std::string(list_.caption(placement_->failedRow())));
  }

  // Measures the finished files in batches and steers the rest by what they show.
  // The files the erase takes are not measured: the steer counts only what stays.
  void finished(std::size_t row, std::int64_t cuts) {
    if (aim_.counted(row)) {
      (cuts > 0 ? doneCut_ : doneWhole_).push_back(row);
      doneCuts_ += cuts;
      doneJoins_ += fileJoins(diskops::listedFileSize(list_, row), blockSize_);
    }
    if (row + 1 == list_.rowCount()) {
      measureDone(Settle::Now);
    } else if (doneJoins_ >= measureEvery_ &&
               (!stillSettling() || doneJoins_ >= kMostBatchesWaiting * measureEvery_)) {
      measureDone(Settle::Behind);
    }
  }

  // Files are measured once the volume has written them out (settled): delayed allocation
  // places data only then, and XFS holds back blocks for data written into placed ranges
  // until then (on a 256 MiB volume, 112 MiB beyond the 150 MiB of files written), so
  // written out batch by batch a volume filled to 90 % does not run out before the list does.
  // Waiting for each write-out took nearly half a run, and one often takes longer than
  // writing the next batch; so a batch is written out while the files after it are written
  // (Behind), and measured once that is done. Files finished meanwhile wait and go out
  // together when it is, unless kMostBatchesWaiting batches' worth wait: then the writer
  // waits too. The steer learns a few batches late. A file that could move the end by
  // itself, and the last batch, settle and are measured at once (Now).
  static constexpr std::int64_t kMostBatchesWaiting = 4;
  enum class Settle { Behind, Now };

  void measureDone(Settle when) {
    measureSettled();
    if (doneCut_.empty() && doneWhole_.empty()) return;
    settled_ = Batch{std::move(doneCut_), std::move(doneWhole_), doneCuts_};
    doneCut_.clear();
    doneWhole_.clear();
    doneCuts_ = 0;
    doneJoins_ = 0;
    const std::size_t any = settled_.cut.empty() ? settled_.whole.back() : settled_.cut.back();
    const std::string folder(list_.caption(any));
    if (when == Settle::Now) {
      context_.volume.settle(folder);
      measureSettled();
    } else {
      settling_ = std::async(std::launch::async,
                             [&volume = context_.volume, folder] { volume.settle(folder); });
    }
  }

  bool stillSettling() const {
    return settling_.valid() &&
           settling_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
  }

  // Measures the batch settled last, once its write-out is done.
  void measureSettled() {
    if (settling_.valid()) settling_.get();
    if (settled_.cut.empty() && settled_.whole.empty()) return;
    planner_.measured(layoutJoins(listLayout(context_.volume, list_, settled_.cut, blockSize_)),
                      settled_.cuts,
                      layoutJoins(listLayout(context_.volume, list_, settled_.whole, blockSize_)));
    settled_ = Batch{};
  }

  Context& context_;
  const TextTable& list_;
  const LayoutAim& aim_;
  std::uint32_t blockSize_;
  std::int64_t joins_;         // of the whole list
  std::int64_t countedJoins_;  // of the rows the aim counts
  std::int64_t measureEvery_;
  CutPlanner planner_;
  diskops::ListWriting writing_;
  std::unique_ptr<PiecePlacement> placement_;
  // Written, not yet measured: the files planned with cuts, and those planned whole.
  std::vector<std::size_t> doneCut_;
  std::vector<std::size_t> doneWhole_;
  std::int64_t doneCuts_ = 0;
  std::int64_t doneJoins_ = 0;
  // A batch being written out, to be measured next.
  struct Batch {
    std::vector<std::size_t> cut;
    std::vector<std::size_t> whole;
    std::int64_t cuts = 0;
  };
  Batch settled_;
  std::future<void> settling_;
};

}  // namespace

LayoutAim layoutAim(Context& context, double score,
                    const std::optional<ExtentClassShares>& classShares, const TextTable& onDisk,
                    const LayoutJoins& others, const std::string& target) {
  LayoutAim aim;
  aim.score = score;
  aim.classShares = classShares;
  // The target may not be there yet (the first batch makes it): the volume it will be on.
  const VolumeSpace space = volumeOfTarget(context, target, false);
  if (space.blockSize > 0) aim.blockSize = space.blockSize;
  const VolumeAbilities abilities = context.volume.abilities(space.mountPoint);
  aim.placement = abilities.placement;
  aim.holesAllowed = !abilities.newFilesNeedFreeRuns;
  aim.freeBytes = space.freeBytes;
  const measure::FileLayoutFigures onDiskFigures =
      listLayout(context.volume, onDisk, aim.blockSize);
  const LayoutJoins listed = layoutJoins(onDiskFigures);
  aim.onDisk = {listed.joins + others.joins, listed.contiguous + others.contiguous};
  aim.onDiskClasses = onDiskFigures.histogram;
  return aim;
}

LayoutJoins joinsUnder(const std::string& target, Context& context) {
  PathAttributes attributes;
  if (!context.fs.attributes(target, attributes) || !attributes.isDirectory) return {};
  measure::MeasureRequest request;
  request.target = target;
  const measure::FileLayoutFigures files = measure::measure(request, context).files;
  return files.known ? layoutJoins(files) : LayoutJoins{};
}

std::int64_t listJoins(const TextTable& list, std::uint32_t blockSize,
                       const std::vector<bool>& rows) {
  std::int64_t joins = 0;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    if (rows.empty() || rows[row])
      joins += fileJoins(diskops::listedFileSize(list, row), blockSize);
  }
  return joins;
}

void checkLayoutReach(const TextTable& list, const LayoutAim& aim, const std::string& target) {
  // The files on disk stay as they are: cutting every listed file gives the lowest score,
  // writing every one whole the highest.
  const std::int64_t joins = listJoins(list, aim.blockSize, aim.stays);
  const double lowest = lowestLayoutScore(aim.onDisk, joins);
  const double highest = highestLayoutScore(aim.onDisk, joins);
  const bool tooLow = aim.score < lowest - 0.005;
  if (!tooLow && aim.score <= highest + 0.005) return;
  throw Failure(
      "--layout " + fixedDecimals(aim.score, 2) + " cannot be reached on the volume holding " +
      target + ": with the files on it and those listed, its layout score can go " +
      (tooLow ? "no lower than " + fixedDecimals(lowest, 2)
              : "no higher than " + fixedDecimals(highest, 2)) +
      " (it can reach " + fixedDecimals(lowest, 2) + " to " + fixedDecimals(highest, 2) + ")");
}

void checkExtentsReadable(Context& context, const std::string& target, const std::string& option) {
  const VolumeSpace space = volumeOfTarget(context, target, false);
  const VolumeAbilities abilities = context.volume.abilities(space.mountPoint);
  if (abilities.fileExtents != FileExtentMap::None) return;
  throw Failure(option + " cannot be steered on the volume holding " + target +
                (space.fileSystem.empty() ? "" : " (" + space.fileSystem + ")") +
                ": the extents of its files cannot be read there: " + abilities.fileExtentsWhy +
                "; nothing was written");
}

Outcome reproduceToLayout(Context& context, const LayoutAim& aim) {
  return diskops::reproduceConfirmed(context,
                                     [&context, &aim] { return PieceWriter(context, aim).run(); });
}

}  // namespace brimwell::aging
