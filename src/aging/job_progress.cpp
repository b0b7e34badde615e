#include "aging/job_progress.h"

#include <algorithm>

namespace brimwell::aging {

void JobProgress::stretch(double fromPercent, double toPercent) {
  from_ = fromPercent;
  to_ = toPercent;
}

void JobProgress::setProgress(int percent) {
  if (percent <= 0) return;
  const double whole = from_ + (to_ - from_) * std::min(percent, 100) / 100.0;
  const int shown = static_cast<int>(whole);
  if (shown <= shownPercent_) return;
  shownPercent_ = shown;
  shown_.setProgress(shown);
}

}  // namespace brimwell::aging
