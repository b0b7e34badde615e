// Ctrl-C and a polite kill (SIGINT, SIGTERM; on Windows Ctrl-C, Ctrl-Break and closing the
// console) asking the running command to stop, rather than ending the process where it is.
#pragma once

namespace brimwell {

// From now on those signals only set the stop request. A question waiting for an answer
// on the terminal is interrupted (it reads an empty answer).
void catchStopSignals();

// True once such a signal has come.
bool stopRequested();

}  // namespace brimwell
