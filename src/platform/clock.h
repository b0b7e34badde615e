// A fast-moving clock value to seed the random source with.
#pragma once

#include <cstdint>

namespace brimwell {

// The low 32 bits of a high-resolution counter (a tick count where there is none).
std::uint32_t seedClockValue();

}  // namespace brimwell
