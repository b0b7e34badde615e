#include "form/start_arguments.h"

namespace brimwell::form {

StartArguments readStartArguments(std::span<const std::string> arguments) {
  StartArguments start;
  if (arguments.size() > 1) {
    start.refusal = "give one size template (.fs) to open, not " +
                    std::to_string(arguments.size()) + " arguments";
  } else if (arguments.empty()) {
    return start;
  } else if (arguments.front() == "-h" || arguments.front() == "--help") {
    start.help = true;
  } else if (arguments.front().starts_with('-')) {
    start.refusal = "unknown option '" + arguments.front() + "'";
  } else {
    start.templateFile = arguments.front();
  }
  return start;
}

std::string startUsage(std::string_view toolkitOptions) {
  const std::string options =
      toolkitOptions.empty() ? "" : "[" + std::string(toolkitOptions) + "] ";
  return "Usage: Brimwell " + options +
         "[FILE.fs]\n"
         "Opens the window of the drive ager, with the size template FILE.fs in its first page\n"
         "when one is given. brimwell-cli runs every step without a window; see man Brimwell.";
}

}  // namespace brimwell::form
