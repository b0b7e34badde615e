// brimwell-cli: every operation of the window, run from a command line or a script.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"

int main(int argc, char** argv) {
  // Each command says what failed in its own words; this is for what escaped them all.
  try {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const brimwell::cli::ParsedCommandLine parsed =
        brimwell::cli::parseCommandLine(arguments, std::cout, std::cerr);
    if (!parsed.options) return parsed.exitCode;
    return brimwell::cli::runCommand(*parsed.options);
  } catch (const std::exception& failure) {
    std::cerr << "brimwell-cli: " << failure.what() << "\n";
  } catch (...) {
    std::cerr << "brimwell-cli: an unexpected failure\n";
  }
  return brimwell::cli::kExitFailed;
}
