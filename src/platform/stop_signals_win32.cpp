#include <windows.h>

#include <atomic>

#include "platform/stop_signals.h"

namespace brimwell {
namespace {

std::atomic<bool> stopFlag{false};

BOOL WINAPI onConsoleEvent(DWORD) {
  stopFlag = true;
  return TRUE;
}

}  // namespace

void catchStopSignals() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

bool stopRequested() { return stopFlag; }

}  // namespace brimwell
