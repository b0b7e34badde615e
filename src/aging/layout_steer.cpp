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

double lowestLayoutScore(const LayoutJoins& onDisk, std::int64_t batchJoins) {
  return LayoutJoins{onDisk.joins + batchJoins, onDisk.contiguous}.score();
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

void LayoutSteer::steer() {
  // Breaks wanted over all files, less those on disk, measured, and expected from the
  // files planned but not yet measured; what is left is spread over the joins to come.
  const double yield = measuredCuts_ >= kCutsToLearnFrom ? static_cast<double>(measuredBreaks_) /
                                                               static_cast<double>(measuredCuts_)
                                                         : 1.0;
  const double wanted = (1.0 - aim_) * static_cast<double>(onDisk_.joins + batchJoins_) -
                        static_cast<double>(onDisk_.joins - onDisk_.contiguous) -
                        static_cast<double>(measuredBreaks_) -
                        yield * static_cast<double>(plannedCuts_ - measuredCuts_);
  const auto toCome = static_cast<double>(batchJoins_ - plannedJoins_);
  if (toCome <= 0 || yield <= 0) {
    cutShare_ = 0;
    return;
  }
  cutShare_ = std::clamp(wanted / (yield * toCome), 0.0, 1.0);
}

}  // namespace brimwell::aging
