// brimwell-cli: every operation of the window, run from a command line or a script.
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const brimwell::cli::ParsedCommandLine parsed =
      brimwell::cli::parseCommandLine(arguments, std::cout, std::cerr);
  if (!parsed.options) return parsed.exitCode;
  return brimwell::cli::runCommand(*parsed.options);
}
