#include "form/held_arrow.h"

#include <algorithm>

#include "form/spin_rules.h"

namespace brimwell::form {

int HeldArrow::press(int direction) {
  direction_ = direction > 0 ? 1 : -1;
  pointerOn_ = true;
  next_ = clock_.now() + std::chrono::milliseconds(kFirstRepeatMs);
  return direction_;
}

void HeldArrow::pointerOn(bool on) { pointerOn_ = held() && on; }

void HeldArrow::release() {
  direction_ = 0;
  pointerOn_ = false;
}

int HeldArrow::due() {
  const FormClock::TimePoint now = clock_.now();
  if (!held() || now < next_) return 0;
  next_ = now + std::chrono::milliseconds(kRepeatMs);
  return pointerOn_ ? direction_ : 0;
}

std::optional<std::chrono::milliseconds> HeldArrow::untilNext() const {
  if (!held()) return std::nullopt;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(next_ - clock_.now());
  return std::max(left, std::chrono::milliseconds(0));
}

}  // namespace brimwell::form
