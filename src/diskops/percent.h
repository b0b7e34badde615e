// Progress percentages as the window computes them: a 32-bit product divided by a 32-bit
// count with truncating division (the product wraps as 32-bit arithmetic does).
#pragma once

#include <cstddef>
#include <cstdint>

namespace brimwell::diskops {

inline int percentOf(std::size_t done, std::size_t count) {
  const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(done) * 100u);
  return static_cast<int>(product / static_cast<std::int32_t>(count));
}

}  // namespace brimwell::diskops
