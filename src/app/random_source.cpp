#include "app/random_source.h"

#include "platform/clock.h"

namespace brimwell {

std::uint32_t RandomSource::seedFromClock() {
  state_ = seedClockValue();
  return state_;
}

}  // namespace brimwell
