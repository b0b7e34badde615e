#include "aging/layout_writer.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "aging/list_layout.h"
#include "app/failure.h"
#include "diskops/list_writing.h"
#include "diskops/percent.h"
#include "diskops/writer.h"
#include "platform/volume_layout.h"

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

std::string scoreText(double score) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", score);
  return text;
}

class PieceWriter {
 public:
  PieceWriter(Context& context, const LayoutAim& aim)
      : context_(context),
        list_(context.lists.files1),
        blockSize_(aim.blockSize),
        joins_(listJoins(list_, blockSize_)),
        steer_(aim.score, aim.onDisk, joins_),
        plan_(aim.classShares ? std::optional<ExtentPlan>(std::in_place, list_, blockSize_,
                                                          *aim.classShares, aim.onDiskClasses)
                              : std::nullopt),
        measureEvery_(joins_ / kMeasuresPerList + 1),
        cutRandom_(cutSeed(context.random)),
        writing_(context) {}

  Outcome run() {
    const std::size_t rows = list_.rowCount();
    for (std::size_t row = 0; row < rows; ++row) {
      const std::int64_t size = diskops::listedFileSize(list_, row);
      const std::string path(list_.caption(row));
      auto file = writing_.create(path);
      if (!place(*file, row, size) || !writing_.write(*file, size) || !writing_.close(*file)) {
        file->close();
        return writing_.failed(path);
      }
      finished(row);
      context_.feedback.setProgress(diskops::percentOf(row + 1, rows));
      if (!context_.feedback.carryOn()) return diskops::stoppedByUser(context_.feedback);
    }
    return Outcome::Done;
  }

 private:
  // Cuts the file's joins, with the steer's share or into the pieces planned for it, and
  // places its pieces, the last first.
  bool place(WritableFile& file, std::size_t row, std::int64_t size) {
    const std::int64_t joins = fileJoins(size, blockSize_);
    const auto chance = static_cast<std::uint32_t>(steer_.cutShare() * kShareSteps);
    // Planned: each join is cut with the chance of the cuts still wanted among the joins left.
    std::int64_t wanted = plan_ ? plan_->cuts(row, steer_.cutsToCome()) : 0;
    cuts_.assign(1, size);
    for (std::int64_t join = joins; join >= 1 && (plan_ ? wanted > 0 : chance > 0); --join) {
      const bool cut = plan_ ? cutRandom_.draw(static_cast<std::uint32_t>(join)) < wanted
                             : cutRandom_.draw(kShareSteps) < chance;
      if (cut) {
        cuts_.push_back(join * blockSize_);
        --wanted;
      }
    }
    cuts_.push_back(0);
    const auto cuts = static_cast<std::int64_t>(cuts_.size()) - 2;
    steer_.planned(joins, cuts);
    doneCuts_ += cuts;
    doneJoins_ += joins;
    if (cuts == 0) return true;  // written whole, placed as the file system likes
    for (std::size_t piece = 0; piece + 1 < cuts_.size(); ++piece) {
      const auto start = static_cast<std::uint64_t>(cuts_[piece + 1]);
      const int error = file.reserve(start, static_cast<std::uint64_t>(cuts_[piece]) - start);
      if (error != 0) {
        writing_.failedWith(error);
        return false;
      }
    }
    return true;
  }

  // Measures the finished files in batches and steers the rest by what they show.
  void finished(std::size_t row) {
    done_.push_back(row);
    if (doneJoins_ < measureEvery_ && row + 1 < list_.rowCount()) return;
    // XFS holds back blocks for data written into placed ranges until it is written out (on
    // a 256 MiB volume, 112 MiB beyond the 150 MiB of files written): written out batch by
    // batch, a volume filled to 90 % does not run out before the list does.
    settleVolume(std::string(list_.caption(row)));
    steer_.measured(layoutJoins(listLayout(list_, done_, blockSize_)), doneCuts_);
    done_.clear();
    doneCuts_ = 0;
    doneJoins_ = 0;
  }

  Context& context_;
  const TextTable& list_;
  std::uint32_t blockSize_;
  std::int64_t joins_;
  LayoutSteer steer_;
  std::optional<ExtentPlan> plan_;
  std::int64_t measureEvery_;
  RandomSource cutRandom_;
  diskops::ListWriting writing_;
  std::vector<std::int64_t> cuts_;  // the file's piece ends from the last, and 0
  std::vector<std::size_t> done_;   // finished, not yet measured
  std::int64_t doneCuts_ = 0;
  std::int64_t doneJoins_ = 0;
};

}  // namespace

LayoutAim layoutAim(double score, const std::optional<ExtentClassShares>& classShares,
                    const TextTable& onDisk, const LayoutJoins& others, const std::string& target) {
  LayoutAim aim;
  aim.score = score;
  aim.classShares = classShares;
  VolumeSpace space;
  std::string why;
  if (readVolumeSpace(target, space, why) && space.blockSize > 0) aim.blockSize = space.blockSize;
  const measure::FileLayoutFigures onDiskFigures = listLayout(onDisk, aim.blockSize);
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

std::int64_t listJoins(const TextTable& list, std::uint32_t blockSize) {
  std::int64_t joins = 0;
  for (std::size_t row = 0; row < list.rowCount(); ++row) {
    joins += fileJoins(diskops::listedFileSize(list, row), blockSize);
  }
  return joins;
}

void checkLayoutReach(const TextTable& list, const LayoutAim& aim, const std::string& target) {
  // The files on disk stay as they are: cutting every listed file gives the lowest score,
  // writing every one whole the highest.
  const std::int64_t joins = listJoins(list, aim.blockSize);
  const double lowest = lowestLayoutScore(aim.onDisk, joins);
  const double highest = highestLayoutScore(aim.onDisk, joins);
  const bool tooLow = aim.score < lowest - 0.005;
  if (!tooLow && aim.score <= highest + 0.005) return;
  throw Failure(
      "--layout " + scoreText(aim.score) + " cannot be reached on the volume holding " + target +
      ": with the files on it and those listed, its layout score can go " +
      (tooLow ? "no lower than " + scoreText(lowest) : "no higher than " + scoreText(highest)) +
      " (it can reach " + scoreText(lowest) + " to " + scoreText(highest) + ")");
}

void checkExtentsReadable(const std::string& target, const std::string& option) {
  std::string fileSystem, why;
  if (fileExtentsReadable(target, fileSystem, why)) return;
  throw Failure(option + " cannot be steered on the volume holding " + target +
                (fileSystem.empty() ? "" : " (" + fileSystem + ")") +
                ": the extents of its files cannot be read there: " + why +
                "; nothing was written");
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
