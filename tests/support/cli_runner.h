// Runs the real brimwell-cli program for a test: with stdin on /dev/null (so no terminal
// can answer a question) and stdout and stderr captured, or on a terminal of its own.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace brimwell::testing {

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
  // The run did not end within its time and was killed (exitCode is then 128 + SIGKILL).
  bool timedOut = false;
};

// How long a run may take before it is killed: a hung command fails its test in seconds.
inline constexpr int kCliDeadlineSeconds = 60;

// Runs in `workingFolder` when it is not empty.
CliRun runCli(const std::vector<std::string>& arguments, const std::string& workingFolder = "");

// The same, sending `signal` (SIGKILL, SIGINT ...) once `ready()`, asked every few
// milliseconds while the program runs, says the point to stop it at has come.
CliRun runCliSignalled(const std::vector<std::string>& arguments,
                       const std::function<bool()>& ready, int signal,
                       const std::string& workingFolder = "");
// What a run may not do: run as root (`uid`, when not 0, is the user it runs as instead),
// or open more than `maxFiles` files at once (when not 0).
struct CliLimits {
  unsigned uid = 0;
  unsigned long maxFiles = 0;
};

// Runs as runCli does, within `limits`.
CliRun runCliLimited(const std::vector<std::string>& arguments, const CliLimits& limits);

// Runs with stdin, stdout and stderr on a new pseudo-terminal, on which `typed` is typed;
// everything shown on the terminal comes back in `out`. Killed after `deadlineSeconds`.
CliRun runCliOnTerminal(const std::vector<std::string>& arguments, const std::string& typed,
                        int deadlineSeconds = kCliDeadlineSeconds);

// Every line of `text` (without the LF).
std::vector<std::string> linesOf(const std::string& text);
// The entry lines of a list file's text: its lines without the "# target: DIR" header.
std::vector<std::string> entriesOf(const std::string& listText);

}  // namespace brimwell::testing
