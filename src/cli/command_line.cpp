#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <array>
#include <charconv>
#include <filesystem>
#include <ostream>

#include "app/fields.h"
#include "census/bundled_templates.h"
#include "cli/aging_options.h"
#include "joblist/list_target.h"
#include "platform/path_style.h"

#ifndef BRIMWELL_VERSION
#define BRIMWELL_VERSION "unknown"
#endif

namespace brimwell::cli {
namespace {

constexpr const char* kProgram = "brimwell-cli";
constexpr const char* kCommandList =
    "census, build, reproduce, sort-out, erase, run, templates and measure";
const std::string kNoCommand = std::string("no command given; the commands are ") + kCommandList;

struct CommandName {
  const char* name;
  Command command;
};

constexpr std::array<CommandName, 8> kCommands{{
    {"census", Command::Census},
    {"build", Command::Build},
    {"reproduce", Command::Reproduce},
    {"sort-out", Command::SortOut},
    {"erase", Command::Erase},
    {"run", Command::Run},
    {"templates", Command::Templates},
    {"measure", Command::Measure},
}};

// A command-line mistake found after CLI11 has read the words.
struct UsageError {
  std::string message;
};

// Option texts as typed; numbers are checked here rather than by CLI11, which would read
// "010" as octal.
struct RawOptions {
  std::optional<std::string> files;
  std::optional<std::string> folders;
  std::vector<std::string> roots;
  std::optional<std::string> percent;
  std::optional<std::string> seed;
  AgingRawOptions aging;
};

std::optional<std::int64_t> parseDecimal(const std::string& text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<std::int32_t> checkedField(const std::string& option,
                                         const std::optional<std::string>& given, SpinField field) {
  if (!given) return std::nullopt;
  const std::string& text = *given;
  const SpinFieldInfo& range = spinFieldInfo(field);
  const auto value = parseDecimal(text);
  if (!value || *value < range.minimum || *value > range.maximum) {
    throw UsageError{option + ": '" + text + "' is not a whole number from " +
                     std::to_string(range.minimum) + " to " + std::to_string(range.maximum)};
  }
  return static_cast<std::int32_t>(*value);
}

void addSeedOption(CLI::App& command, RawOptions& raw) {
  command
      .add_option("--seed", raw.seed,
                  "State of the random source (0 to 4294967295); the same seed gives the "
                  "same result. Without it a seed is taken from the clock and printed")
      ->type_name("S");
}

void addYesOption(CLI::App& command, CliOptions& options) {
  command.add_flag("--yes,-y", options.yes,
                   "Answer OK to the question before anything is written or deleted");
}

void addBuildOptions(CLI::App& command, CliOptions& options, RawOptions& raw) {
  command.add_option("--files", raw.files, "Number of files to list (1 to 1000000; default 6000)")
      ->type_name("N");
  command
      .add_option("--folders", raw.folders,
                  "Number of folder paths to draw (1 to 30000; default 800)")
      ->type_name("N");
  command
      .add_option("--root", raw.roots,
                  "A root folder and the most levels of subfolders under it (0 to 99); give "
                  "it up to five times to replace the five default roots")
      ->type_name("NAME:DEPTH")
      ->allow_extra_args(false);
  command
      .add_option("--prefix", options.prefix, "Text every file name starts with (default \"001-\")")
      ->type_name("TEXT");
}

std::string hint(const std::string& command) {
  return "Run '" + std::string(kProgram) + (command.empty() ? "" : " " + command) +
         " --help' to see the options.";
}

// A relative target is taken from the current folder, so that the list holds paths that
// still lead to the files when a later step runs elsewhere. Drive paths ("d:\\"), absolute
// paths and the empty path stay as given.
std::string absoluteTarget(const std::string& target) {
  const bool hasDrive = target.size() >= 2 && target[1] == ':';
  if (target.empty() || hasDrive || PathStyle::isSeparator(target.front())) return target;
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  if (error) return target;
  return (here / target).string();
}

// --target names a folder, normalised once; --root and --prefix must not lead out of it.
void checkStaysInTarget(CliOptions& options) {
  if (options.target) {
    options.target = joblist::asTargetFolder(absoluteTarget(*options.target));
    if (const auto reason = joblist::unrecordableTargetReason(*options.target)) {
      throw UsageError{"--target: " + *reason};
    }
    // An unmapped drive is named by the command itself, which says why it cannot be used.
    const bool drive = options.target->size() >= 2 && (*options.target)[1] == ':';
    if (const auto reason =
            joblist::refusedTargetReason(*options.target, options.allowRoot || drive)) {
      throw UsageError{"--target: " + *reason};
    }
  }
  for (const RootFolder& root : options.roots) {
    if (const auto reason = joblist::escapingNameReason(root.name, false)) {
      throw UsageError{"--root: '" + root.name + "': " + *reason};
    }
  }
  if (options.prefix) {
    if (const auto reason = joblist::escapingNameReason(*options.prefix, true)) {
      throw UsageError{"--prefix: '" + *options.prefix + "': " + *reason};
    }
  }
}

void addAllowRootOption(CLI::App& command, CliOptions& options) {
  command.add_flag("--allow-root", options.allowRoot,
                   "Let the target folder be the root of the tree (/, c:\\); refused otherwise");
}

void addListTargetOption(CLI::App& command, CliOptions& options) {
  command
      .add_option("--target", options.target,
                  "The folder the list's files must lie in, for a list that does not record "
                  "it (a list made by build does); it must match a recorded one")
      ->type_name("DIR");
  addAllowRootOption(command, options);
}

void finishOptions(CliOptions& options, const RawOptions& raw) {
  if (!options.templateFile.empty()) {
    const auto resolved = census::resolveTemplate(options.templateFile);
    if (!resolved) {
      throw UsageError{"--template: '" + options.templateFile +
                       "' is neither a file nor a bundled template; 'brimwell-cli templates' "
                       "lists the bundled ones"};
    }
    if (resolved->passedOverFile) {
      options.templateNote = "Template: the bundled '" + options.templateFile + "' (" +
                             resolved->path + "), not the file ./" + options.templateFile +
                             " (write ./" + options.templateFile + " to read that one)";
    }
    options.templateFile = resolved->path;
  }
  options.files = checkedField("--files", raw.files, SpinField::SpinEdit1);
  options.folders = checkedField("--folders", raw.folders, SpinField::SpinEdit2);
  options.percent = checkedField("--percent", raw.percent, SpinField::delprocent);
  if (raw.seed) {
    options.seed = parseSeed(*raw.seed);
    if (!options.seed) {
      throw UsageError{"--seed: '" + *raw.seed + "' is not a whole number from 0 to 4294967295"};
    }
  }
  if (raw.roots.size() > 5) {
    throw UsageError{"--root: at most five root folders can be given (" +
                     std::to_string(raw.roots.size()) + " were)"};
  }
  for (const std::string& text : raw.roots) {
    const auto root = parseRootFolder(text);
    if (!root) {
      throw UsageError{"--root: '" + text +
                       "' is not NAME:DEPTH with a DEPTH from 0 to 99 after the last ':' "
                       "(for example --root \"Windows emul:3\")"};
    }
    options.roots.push_back(*root);
  }
  const std::string problem = finishAgingOptions(options, raw.aging);
  if (!problem.empty()) throw UsageError{problem};
  checkStaysInTarget(options);
}

}  // namespace

std::optional<RootFolder> parseRootFolder(const std::string& text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  const auto depth = parseDecimal(text.substr(colon + 1));
  if (!depth || *depth > 99) return std::nullopt;
  return RootFolder{text.substr(0, colon), static_cast<std::int32_t>(*depth)};
}

std::optional<std::int64_t> parseWholeNumber(const std::string& text) { return parseDecimal(text); }
const char* commandName(Command command) {
  for (const CommandName& entry : kCommands) {
    if (entry.command == command) return entry.name;
  }
  return "";
}

std::optional<std::uint32_t> parseSeed(const std::string& text) {
  const auto value = parseDecimal(text);
  if (!value || *value > 4294967295LL) return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments, std::ostream& out,
                                   std::ostream& err) {
  CliOptions options;
  RawOptions raw;

  CLI::App app{
      "Fills a drive or folder with a population of files whose sizes follow a size template "
      "(a \".fs\" table of size thresholds and counts), then deletes a random share of them "
      "to fragment the free space.",
      kProgram};
  app.set_version_flag("--version", std::string(kProgram) + " " + BRIMWELL_VERSION);
  app.require_subcommand(1);
  app.get_formatter()->label("Subcommands", "Commands");
  app.get_formatter()->label("SUBCOMMAND", "COMMAND");
  app.footer(
      "Example, the whole job in one go:\n"
      "  brimwell-cli run --template default --target /mnt/scratch/ --seed 1 --yes\n"
      "The same in steps:\n"
      "  brimwell-cli build --template default --target /mnt/scratch/ --list job.txt\n"
      "  brimwell-cli reproduce --list job.txt --yes\n"
      "  brimwell-cli sort-out --list job.txt --percent 15 --yes\n"
      "  brimwell-cli erase --list job.txt --yes\n"
      "Exit codes: 0 done, 1 failed (erase: a listed file that exists was not deleted), 2 wrong\n"
      "command line, 3 declined or stopped by a notice.");

  CLI::App* census = app.add_subcommand(
      "census", "Count the files under a location by the size classes of a template");
  census->add_option("LOCATION", options.location, "Folder or drive to walk, such as /usr or c:\\")
      ->required();
  census
      ->add_option("--template", options.templateFile,
                   "Size template file (.fs) to fill, or a bundled template's name")
      ->required()
      ->type_name("FILE");
  census->add_option("--save", options.saveFile, "Save the filled template to this file")
      ->type_name("FILE");
  census->footer(
      "Prints the filled table (threshold, count, %, description) and the totals on stdout.\n"
      "Example:\n  brimwell-cli census /usr --template default --save usr.fs");

  CLI::App* build = app.add_subcommand(
      "build", "Make the file list (paths and sizes) from a template; writes nothing else");
  build
      ->add_option("--template", options.templateFile,
                   "Size template file (.fs), or a bundled template's name such as default")
      ->required()
      ->type_name("FILE");
  build->add_option("--list", options.listFile, "File list to write (path TAB size a line)")
      ->required()
      ->type_name("OUT");
  addBuildOptions(*build, options, raw);
  addFillOption(*build, raw.aging);
  build
      ->add_option("--target", options.target,
                   "Folder every path starts with (a trailing \"/\" is added when missing; "
                   "a relative one is taken from the current folder; default \"d:\\\", "
                   "a drive that this system does not map). The list records it")
      ->type_name("PATH");
  addAllowRootOption(*build, options);
  addSeedOption(*build, raw);
  build->footer(
      "Example:\n  brimwell-cli build --template default --target /mnt/scratch/ "
      "--files 20000 --root \"Windows emul:3\" --root \"Program Files emul:6\" --list job.txt");

  CLI::App* reproduce = app.add_subcommand(
      "reproduce", "Write every file of a file list, with its folders and random bytes");
  reproduce->add_option("--list", options.listFile, "File list to write out")
      ->required()
      ->type_name("FILE");
  addListTargetOption(*reproduce, options);
  addSeedOption(*reproduce, raw);
  addYesOption(*reproduce, options);
  reproduce->footer("Example:\n  brimwell-cli reproduce --list job.txt --seed 7 --yes");

  CLI::App* sortOut = app.add_subcommand(
      "sort-out", "Keep a random share of a file list: the files that erase will delete");
  sortOut->add_option("--list", options.listFile, "File list to thin; it is rewritten")
      ->required()
      ->type_name("FILE");
  sortOut->add_option("--percent", raw.percent, "Share of the files to keep (1 to 99; default 15)")
      ->type_name("P");
  addSeedOption(*sortOut, raw);
  addYesOption(*sortOut, options);
  sortOut->footer("Example:\n  brimwell-cli sort-out --list job.txt --percent 20 --yes");

  CLI::App* erase =
      app.add_subcommand("erase", "Delete every file of a file list, then empty the list");
  erase->add_option("--list", options.listFile, "File list of the files to delete")
      ->required()
      ->type_name("FILE");
  addListTargetOption(*erase, options);
  addYesOption(*erase, options);
  erase->footer("Example:\n  brimwell-cli erase --list job.txt --yes");

  CLI::App* run = app.add_subcommand(
      "run", "All steps: build, write the files, pick a share at random and delete it");
  run->add_option("--template", options.templateFile,
                  "Size template file (.fs), or a bundled template's name such as default")
      ->required()
      ->type_name("FILE");
  run->add_option("--target", options.target,
                  "Folder to fill, such as /mnt/scratch/ (created when missing; a relative one "
                  "is taken from the current folder)")
      ->required()
      ->type_name("PATH");
  addBuildOptions(*run, options, raw);
  addFillOption(*run, raw.aging);
  addRoundsOption(*run, raw.aging);
  addLayoutOptions(*run, options, raw.aging);
  run->add_option("--percent", raw.percent, "Share of the files to delete (1 to 99; default 15)")
      ->type_name("P");
  run->add_option("--list", options.listFile,
                  "Keep the list of every file still on disk in this file (default: beside the "
                  "target, such as /mnt/scratch.brimwell-list.txt)")
      ->type_name("OUT");
  run->add_flag("--append", options.append,
                "When the list still names files on disk, keep them in it and add this job's "
                "files (without it, such a list is refused)");
  addAllowRootOption(*run, options);
  addSeedOption(*run, raw);
  addYesOption(*run, options);
  run->footer(
      "Example:\n  brimwell-cli run --template default --target /mnt/scratch/ "
      "--files 3000 --percent 15 --seed 1 --yes");
  addMeasureCommand(app, options, raw.aging);

  app.add_subcommand("templates", "List the bundled templates that --template takes by name")
      ->footer("Example:\n  brimwell-cli templates");

  std::string commandName;
  try {
    if (!arguments.empty() && !arguments.front().empty() && arguments.front().front() != '-') {
      bool known = false;
      for (const CommandName& entry : kCommands) known = known || arguments.front() == entry.name;
      if (!known) {
        throw UsageError{"unknown command '" + arguments.front() + "'; the commands are " +
                         kCommandList};
      }
      commandName = arguments.front();
    }
    if (arguments.empty()) {
      err << app.help() << '\n';
      err << kProgram << ": " << kNoCommand << '\n' << hint("") << '\n';
      return {std::nullopt, 2};
    }
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    app.parse(std::move(reversed));
    for (const CommandName& entry : kCommands) {
      if (app.got_subcommand(entry.name)) options.command = entry.command;
    }
    finishOptions(options, raw);
  } catch (const CLI::CallForHelp& e) {
    return {std::nullopt, app.exit(e, out, err)};
  } catch (const CLI::CallForAllHelp& e) {
    return {std::nullopt, app.exit(e, out, err)};
  } catch (const CLI::CallForVersion& e) {
    return {std::nullopt, app.exit(e, out, err)};
  } catch (const CLI::ParseError& e) {
    const bool noCommand = e.get_name() == "RequiredError" && app.get_subcommands().empty();
    const std::string problem = noCommand ? kNoCommand : e.what();
    err << kProgram << (commandName.empty() ? "" : " " + commandName) << ": " << problem << '\n'
        << hint(commandName) << '\n';
    return {std::nullopt, 2};
  } catch (const UsageError& e) {
    err << kProgram << (commandName.empty() ? "" : " " + commandName) << ": " << e.message << '\n'
        << hint(commandName) << '\n';
    return {std::nullopt, 2};
  }
  return {std::move(options), 0};
}

}  // namespace brimwell::cli
