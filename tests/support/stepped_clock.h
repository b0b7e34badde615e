// A clock that moves only when the test steps it, so that timed rules (pump spacing, a
// held arrow's repeat) are tested by stepping time rather than by racing it.
#pragma once

#include <chrono>

#include "form/form_clock.h"

namespace brimwell::testing {

class SteppedClock : public form::FormClock {
 public:
  TimePoint now() const override { return now_; }
  void advance(std::chrono::milliseconds step) { now_ += step; }

 private:
  TimePoint now_{std::chrono::hours(1)};
};

}  // namespace brimwell::testing
