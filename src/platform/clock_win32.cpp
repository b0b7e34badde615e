#include <windows.h>

#include "platform/clock.h"

namespace brimwell {

std::uint32_t seedClockValue() {
  LARGE_INTEGER counter;
  if (QueryPerformanceCounter(&counter) && counter.QuadPart != 0) {
    return static_cast<std::uint32_t>(counter.QuadPart);
  }
  return GetTickCount();
}

}  // namespace brimwell
