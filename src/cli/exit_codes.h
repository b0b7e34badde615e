// The exit codes of brimwell-cli, which scripts rely on.
#pragma once

#include "app/outcome.h"

namespace brimwell::cli {

inline constexpr int kExitDone = 0;
// A failure: the error-box text is on stderr.
inline constexpr int kExitFailed = 1;
// The command line itself was wrong: the problem and a hint are on stderr.
inline constexpr int kExitUsage = 2;
// A question was declined, or a notice stopped the operation before it began.
inline constexpr int kExitStopped = 3;

inline int exitCodeFor(Outcome outcome) {
  switch (outcome) {
    case Outcome::Done:
      return kExitDone;
    case Outcome::Declined:
    case Outcome::Stopped:
      return kExitStopped;
    case Outcome::Failed:
      break;
  }
  return kExitFailed;
}

}  // namespace brimwell::cli
