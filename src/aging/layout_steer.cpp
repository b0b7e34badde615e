#include "aging/layout_steer.h"

#include <algorithm>

#include "measure/file_layout.h"

namespace brimwell::aging {
namespace {

// Planned cuts that come true, learned only from enough of them to mean something; and the
// file system's own breaks, from enough joins written whole.
constexpr std::int64_t kCutsToLearnFrom = 64;
constexpr double kJoinsToLearnFrom = 256;
// How much the files written whole weigh at each later measuring: the volume fills as the
// batch is written, and the file system breaks files more often as it does.
constexpr double kWeightKept = 0.75;

}  // namespace

double LayoutJoins::score() const { return measure::layoutScore(contiguous, joins); }

std::int64_t fileJoins(std::int64_t size, std::uint32_t blockSize) {
  return std::max<std::int64_t>((size + blockSize - 1) / blockSize - 1, 0);
}

double lowestLayoutScore(const LayoutJoins& onDisk, std::int64_t batchJoins) {
  return LayoutJoins{onDisk.joins + batchJoins, onDisk.contiguous}.score();
}

double highestLayoutScore(const LayoutJoins& onDisk, std::int64_t batchJoins) {
  return LayoutJoins{onDisk.joins + batchJoins, onDisk.contiguous + batchJoins}.score();
}

LayoutSteer::LayoutSteer(double aim, const LayoutJoins& onDisk, std::int64_t batchJoins)
    : aim_(aim), onDisk_(onDisk), batchJoins_(batchJoins) {
  steer();
}

void LayoutSteer::planned(std::int64_t joins, std::int64_t cuts) {
  plannedJoins_ += joins;
  plannedCuts_ += cuts;
}

void LayoutSteer::measured(const LayoutJoins& cutFiles, std::int64_t cuts,
                           const LayoutJoins& wholeFiles) {
  measuredJoins_ += cutFiles.joins + wholeFiles.joins;
  measuredBreaks_ +=
      cutFiles.joins - cutFiles.contiguous + wholeFiles.joins - wholeFiles.contiguous;
  measuredCuts_ += cuts;
  recentJoins_ = recentJoins_ * kWeightKept + static_cast<double>(wholeFiles.joins);
  recentBreaks_ =
      recentBreaks_ * kWeightKept + static_cast<double>(wholeFiles.joins - wholeFiles.contiguous);
  breaksOfCuts_ += static_cast<double>(cutFiles.joins - cutFiles.contiguous) -
                   ownBreaks() * static_cast<double>(cutFiles.joins - cuts);
  steer();
}

double LayoutSteer::ownBreaks() const {
  return recentJoins_ >= kJoinsToLearnFrom ? recentBreaks_ / recentJoins_ : 0.0;
}

double LayoutSteer::yield() const {
  return measuredCuts_ >= kCutsToLearnFrom ? breaksOfCuts_ / static_cast<double>(measuredCuts_)
                                           : 1.0;
}

double LayoutSteer::expectedBreaks(double joins, double cuts) const {
  return ownBreaks() * (joins - cuts) + yield() * cuts;
}

double LayoutSteer::wantedCuts() const {
  // Breaks wanted over all files, less those on disk, measured, and expected from the
  // files planned but not yet measured; what is left is made in the joins to come, where
  // the file system breaks some of its own and each cut adds what it yields beyond that.
  const double gain = yield() - ownBreaks();
  if (gain <= 0) return 0;
  const double wanted = (1.0 - aim_) * static_cast<double>(onDisk_.joins + batchJoins_) -
                        static_cast<double>(onDisk_.joins - onDisk_.contiguous) -
                        static_cast<double>(measuredBreaks_) -
                        expectedBreaks(static_cast<double>(plannedJoins_ - measuredJoins_),
                                       static_cast<double>(plannedCuts_ - measuredCuts_)) -
                        ownBreaks() * static_cast<double>(std::max<std::int64_t>(joinsToCome(), 0));
  return wanted / gain;
}

double LayoutSteer::cutsToCome() const {
  return std::clamp(wantedCuts(), 0.0,
                    static_cast<double>(std::max<std::int64_t>(joinsToCome(), 0)));
}

void LayoutSteer::steer() {
  const auto toCome = static_cast<double>(joinsToCome());
  cutShare_ = toCome <= 0 ? 0 : std::clamp(wantedCuts() / toCome, 0.0, 1.0);
}

}  // namespace brimwell::aging
