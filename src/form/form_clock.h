// The time the form goes by: when a pump is due, when a held arrow steps again. The
// window runs on the steady clock; tests hand the form a clock they step themselves.
#pragma once

#include <chrono>

namespace brimwell::form {

class FormClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  virtual ~FormClock() = default;
  virtual TimePoint now() const = 0;
};

// The steady clock, shared by every window.
const FormClock& steadyClock();

}  // namespace brimwell::form
