#include "form/form_clock.h"

namespace brimwell::form {
namespace {

class SteadyClock : public FormClock {
 public:
  TimePoint now() const override { return std::chrono::steady_clock::now(); }
};

}  // namespace

const FormClock& steadyClock() {
  static const SteadyClock clock;
  return clock;
}

}  // namespace brimwell::form
