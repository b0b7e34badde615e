#include "platform/system_error.h"

#include <utility>

namespace brimwell {
namespace {

struct NotedRefusal {
  int windowsCode = 0;
  std::optional<SystemError> error;
};

thread_local NotedRefusal lastRefusal;

}  // namespace

void noteRefusal(int windowsCode, std::optional<SystemError> error) {
  lastRefusal.windowsCode = windowsCode;
  lastRefusal.error = std::move(error);
}

std::optional<SystemError> refusalBehind(int windowsCode) {
  if (windowsCode == 0 || lastRefusal.windowsCode != windowsCode) return std::nullopt;
  return lastRefusal.error;
}

}  // namespace brimwell
