// A spin field's arrow held down: one step on the press, another after kFirstRepeatMs,
// then one every kRepeatMs, each only while the pointer is on the pressed arrow (moving
// off pauses the steps; coming back resumes them). Time comes from the form's clock; the
// view asks due() when its timer fires and sets the timer to untilNext().
#pragma once

#include <chrono>
#include <optional>

#include "form/form_clock.h"

namespace brimwell::form {

class HeldArrow {
 public:
  explicit HeldArrow(const FormClock& clock) : clock_(clock) {}

  // The arrow pressed: +1 for up, -1 for down. Returns the step to make now.
  int press(int direction);
  // Whether the pointer is on the pressed arrow now.
  void pointerOn(bool on);
  void release();
  // The step to make now: the pressed direction when a repeat is due and the pointer is
  // on the arrow, else 0. A repeat that was late is made once, not caught up.
  int due();
  // How long until the next repeat is due (zero when overdue); nothing when no arrow is held.
  std::optional<std::chrono::milliseconds> untilNext() const;

  bool held() const { return direction_ != 0; }
  int direction() const { return direction_; }
  bool pointerOn() const { return pointerOn_; }

 private:
  const FormClock& clock_;
  int direction_ = 0;
  bool pointerOn_ = false;
  FormClock::TimePoint next_{};
};

}  // namespace brimwell::form
