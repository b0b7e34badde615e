#include "aging/layout_steer.h"

#include <algorithm>

namespace brimwell::aging {
namespace {

// Planned cuts that come true, learned only from enough of them to mean something.
constexpr std::int64_t kCutsToLearnFrom = 64;

}  // namespace

double LayoutJoins::score() const {
  return joins == 0 ? 1.0 : static_cast<double>(contiguous) / static_cast<double>(joins);
}

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

void LayoutSteer::measured(const LayoutJoins& written, std::int64_t cuts) {
  measuredJoins_ += written.joins;
  measuredBreaks_ += written.joins - written.contiguous;
  measuredCuts_ += cuts;
  steer();
}

double LayoutSteer::yield() const {
  return measuredCuts_ >= kCutsToLearnFrom
             ? static_cast<double>(measuredBreaks_) / static_cast<double>(measuredCuts_)
             : 1.0;
}

double LayoutSteer::wantedCuts() const {
  // Breaks wanted over all files, less those on disk, measured, and expected from the
  // files planned but not yet measured; what is left is cut in the joins to come.
  const double yielded = yield();
  if (yielded <= 0) return 0;
  const double wanted = (1.0 - aim_) * static_cast<double>(onDisk_.joins + batchJoins_) -
                        static_cast<double>(onDisk_.joins - onDisk_.contiguous) -
                        static_cast<double>(measuredBreaks_) -
                        yielded * static_cast<double>(plannedCuts_ - measuredCuts_);
  return wanted / yielded;
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
