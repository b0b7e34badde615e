#include <windows.h>

#include "platform/clock.h"

namespace brimwell {

std::uint32_t seedClockValue() {
  LARGE_INTEGER counter;
  if (QueryPerformanceCounter(&counter)) {
    return static_cast<std::uint32_t>(counter.QuadPart);
  }
  return GetTickCount();
}

}  // namespace brimwell
