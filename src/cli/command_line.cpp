#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <array>
#include <filesystem>
#include <map>
#include <ostream>
#include <stdexcept>

#include "census/bundled_templates.h"
#include "cli/aging_options.h"
#include "cli/option_table.h"
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

// A command: its name, what it does, the options it takes (in the order its help lists
// them) and the end of its help.
struct CommandRow {
  const char* name;
  Command command;
  const char* summary;
  std::vector<Opt> options;
  const char* footer;
};

const std::array<CommandRow, 8>& commandTable() {
  static const std::array<CommandRow, 8> commands{{
      {"census",
       Command::Census,
       "Count the files under a location by the size classes of a template",
       {Opt::Location, Opt::TemplateCensus, Opt::Save},
       "Prints the filled table (threshold, count, %, description) and the totals on stdout.\n"
       "Example:\n  brimwell-cli census /usr --template default --save usr.fs"},
      {"build",
       Command::Build,
       "Make the file list (paths and sizes) from a template; writes nothing else",
       {Opt::Template, Opt::ListBuild, Opt::Files, Opt::Folders, Opt::Root, Opt::Prefix, Opt::Fill,
        Opt::TargetBuild, Opt::AllowRoot, Opt::Seed},
       "Example:\n  brimwell-cli build --template default --target /mnt/scratch/ "
       "--files 20000 --root \"Windows emul:3\" --root \"Program Files emul:6\" --list job.txt"},
      {"reproduce",
       Command::Reproduce,
       "Write every file of a file list, with its folders and random bytes",
       {Opt::ListReproduce, Opt::TargetList, Opt::AllowRoot, Opt::Seed, Opt::Yes},
       "Example:\n  brimwell-cli reproduce --list job.txt --seed 7 --yes"},
      {"sort-out",
       Command::SortOut,
       "Keep a random share of a file list: the files that erase will delete",
       {Opt::ListSortOut, Opt::PercentKept, Opt::Seed, Opt::Yes},
       "Example:\n  brimwell-cli sort-out --list job.txt --percent 20 --yes"},
      {"erase",
       Command::Erase,
       "Delete every file of a file list, then empty the list",
       {Opt::ListErase, Opt::TargetList, Opt::AllowRoot, Opt::Yes},
       "Example:\n  brimwell-cli erase --list job.txt --yes"},
      {"run",
       Command::Run,
       "All steps: build, write the files, pick a share at random and delete it",
       {Opt::Template, Opt::TargetRun, Opt::Files, Opt::Folders, Opt::Root, Opt::Prefix, Opt::Fill,
        Opt::Rounds, Opt::ByUse, Opt::Layout, Opt::Like, Opt::PercentDeleted, Opt::ListRun,
        Opt::Append, Opt::AllowRoot, Opt::Seed, Opt::Yes},
       "Example:\n  brimwell-cli run --template default --target /mnt/scratch/ "
       "--files 3000 --percent 15 --seed 1 --yes"},
      {"measure",
       Command::Measure,
       "Report how full the volume is, how the sizes fit a template, and how fragmented the "
       "files and the free space are",
       {Opt::MeasureTarget, Opt::TemplateMeasure, Opt::Probe, Opt::ReadCost, Opt::Json, Opt::Svg},
       "File and free-space extents come from the file system (Linux: FIEMAP, or FIBMAP block "
       "by block as root where FIEMAP is missing; GETFSMAP on ext4 and XFS and the extent tree "
       "on Btrfs, as root); figures it does not report are named as unavailable.\n"
       "Example:\n  brimwell-cli measure /mnt/scratch --template default "
       "--probe 64M --svg drive.svg"},
      {"templates",
       Command::Templates,
       "List the bundled templates that --template takes by name",
       {},
       "Example:\n  brimwell-cli templates"},
  }};
  return commands;
}

// A command-line mistake found after CLI11 has read the words.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The values as typed, by option name; checked against the option table afterwards (CLI11
// would read "010" as octal).
struct Given {
  std::map<std::string, std::optional<std::string>, std::less<>> texts;
  std::map<std::string, std::vector<std::string>, std::less<>> repeated;
  std::map<std::string, bool, std::less<>> flags;

  std::string text(std::string_view name) const {
    const auto found = texts.find(name);
    return found == texts.end() ? std::string() : found->second.value_or(std::string());
  }
  std::optional<std::string> optional(std::string_view name) const {
    const auto found = texts.find(name);
    return found == texts.end() ? std::nullopt : found->second;
  }
  bool flag(std::string_view name) const {
    const auto found = flags.find(name);
    return found != flags.end() && found->second;
  }
};

void addOption(CLI::App& command, const OptionRow& row, Given& given) {
  const std::string name(optionName(row));
  CLI::Option* option = nullptr;
  if (row.value == Value::Flag) {
    option = command.add_flag(row.names, given.flags[name], helpText(row));
  } else if (row.mostTimes > 1) {
    option = command.add_option(row.names, given.repeated[name], helpText(row));
    option->allow_extra_args(false);
  } else {
    option = command.add_option(row.names, given.texts[name], helpText(row));
  }
  if (*row.valueName != '\0') option->type_name(row.valueName);
  if (row.required) option->required();
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
      throw UsageError("--target: " + *reason);
    }
    // An unmapped drive is named by the command itself, which says why it cannot be used.
    const bool drive = options.target->size() >= 2 && (*options.target)[1] == ':';
    if (const auto reason =
            joblist::refusedTargetReason(*options.target, options.allowRoot || drive)) {
      throw UsageError("--target: " + *reason);
    }
  }
  for (const RootFolder& root : options.roots) {
    if (const auto reason = joblist::escapingNameReason(root.name, false)) {
      throw UsageError("--root: '" + root.name + "': " + *reason);
    }
  }
  if (options.prefix) {
    if (const auto reason = joblist::escapingNameReason(*options.prefix, true)) {
      throw UsageError("--prefix: '" + *options.prefix + "': " + *reason);
    }
  }
}

void resolveTemplate(CliOptions& options) {
  if (options.templateFile.empty()) return;
  const auto resolved = census::resolveTemplate(options.templateFile);
  if (!resolved) {
    throw UsageError("--template: '" + options.templateFile +
                     "' is neither a file nor a bundled template; 'brimwell-cli templates' "
                     "lists the bundled ones");
  }
  if (resolved->passedOverFile) {
    options.templateNote = "Template: the bundled '" + options.templateFile + "' (" +
                           resolved->path + "), not the file ./" + options.templateFile +
                           " (write ./" + options.templateFile + " to read that one)";
  }
  options.templateFile = resolved->path;
}

// The checked values of the command's options, by the rows it takes.
class Checked {
 public:
  Checked(const CommandRow& command, const Given& given) : command_(command), given_(given) {}

  template <typename Number>
  std::optional<Number> whole(std::string_view name) const {
    const auto text = given_.optional(name);
    if (!text) return std::nullopt;
    const auto value = checkedWhole(row(name), *text);
    if (!value) throw UsageError(refusal(row(name), *text));
    return static_cast<Number>(*value);
  }
  std::optional<double> score(std::string_view name) const {
    const auto text = given_.optional(name);
    if (!text) return std::nullopt;
    const auto value = checkedScore(row(name), *text);
    if (!value) throw UsageError(refusal(row(name), *text));
    return value;
  }
  std::uint64_t byteSize(std::string_view name) const {
    const auto text = given_.optional(name);
    if (!text) return 0;
    const auto value = parseByteSize(*text);
    if (!value) throw UsageError(refusal(row(name), *text));
    return *value;
  }
  std::vector<RootFolder> roots() const {
    const auto found = given_.repeated.find("--root");
    if (found == given_.repeated.end() || found->second.empty()) return {};
    const std::vector<std::string>& texts = found->second;
    if (texts.size() > row("--root").mostTimes) {
      throw UsageError("--root: at most five root folders can be given (" +
                       std::to_string(texts.size()) + " were)");
    }
    std::vector<RootFolder> roots;
    for (const std::string& text : texts) {
      const auto root = checkedRoot(row("--root"), text);
      if (!root) throw UsageError(refusal(row("--root"), text));
      roots.push_back(*root);
    }
    return roots;
  }

 private:
  const OptionRow& row(std::string_view name) const {
    for (const Opt opt : command_.options) {
      if (optionName(optionRow(opt)) == name) return optionRow(opt);
    }
    throw std::logic_error("no option " + std::string(name));
  }

  const CommandRow& command_;
  const Given& given_;
};

CliOptions finishOptions(const CommandRow& command, const Given& given) {
  CliOptions options;
  options.command = command.command;
  options.location =
      command.command == Command::Measure ? given.text("TARGET") : given.text("LOCATION");
  options.templateFile = given.text("--template");
  options.saveFile = given.text("--save");
  options.listFile = given.text("--list");
  options.prefix = given.optional("--prefix");
  options.target = given.optional("--target");
  options.likeFile = given.text("--like");
  options.svgFile = given.text("--svg");
  options.allowRoot = given.flag("--allow-root");
  options.yes = given.flag("--yes");
  options.json = given.flag("--json");
  options.readCost = given.flag("--read-cost");
  options.append = given.flag("--append");
  options.byUse = given.flag("--by-use");
  resolveTemplate(options);
  const Checked checked(command, given);
  options.files = checked.whole<std::int32_t>("--files");
  options.folders = checked.whole<std::int32_t>("--folders");
  options.percent = checked.whole<std::int32_t>("--percent");
  options.seed = checked.whole<std::uint32_t>("--seed");
  options.roots = checked.roots();
  options.fill = checked.whole<std::int32_t>("--fill");
  options.rounds = checked.whole<std::int32_t>("--rounds");
  if (const std::string problem = likeConflict(options, given.optional("--layout").has_value());
      !problem.empty()) {
    throw UsageError(problem);
  }
  options.layout = checked.score("--layout");
  if (const std::string problem = agingOptionsProblem(options); !problem.empty()) {
    throw UsageError(problem);
  }
  options.probeBytes = checked.byteSize("--probe");
  checkStaysInTarget(options);
  return options;
}

CLI::App& describe(CLI::App& app, Given& given) {
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
  for (const CommandRow& command : commandTable()) {
    CLI::App* sub = app.add_subcommand(command.name, command.summary);
    for (const Opt opt : command.options) addOption(*sub, optionRow(opt), given);
    sub->footer(command.footer);
  }
  return app;
}

// The command the words name; nothing when they start with an option (or are empty).
const CommandRow* namedCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments.front().empty() || arguments.front().front() == '-') {
    return nullptr;
  }
  for (const CommandRow& command : commandTable()) {
    if (arguments.front() == command.name) return &command;
  }
  throw UsageError("unknown command '" + arguments.front() + "'; the commands are " + kCommandList);
}

}  // namespace

const char* commandName(Command command) {
  for (const CommandRow& entry : commandTable()) {
    if (entry.command == command) return entry.name;
  }
  return "";
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments, std::ostream& out,
                                   std::ostream& err) {
  Given given;
  CLI::App app{
      "Fills a drive or folder with a population of files whose sizes follow a size template "
      "(a \".fs\" table of size thresholds and counts), then deletes a random share of them "
      "to fragment the free space.",
      kProgram};
  describe(app, given);
  std::string named;
  const auto refuse = [&](const std::string& problem) {
    err << kProgram << (named.empty() ? "" : " " + named) << ": " << problem << '\n'
        << hint(named) << '\n';
    return ParsedCommandLine{std::nullopt, 2};
  };
  try {
    const CommandRow* command = namedCommand(arguments);
    if (command != nullptr) named = command->name;
    if (arguments.empty()) {
      err << app.help() << '\n';
      err << kProgram << ": " << kNoCommand << '\n' << hint("") << '\n';
      return {std::nullopt, 2};
    }
    app.parse(std::vector<std::string>(arguments.rbegin(), arguments.rend()));
    for (const CommandRow& entry : commandTable()) {
      if (app.got_subcommand(entry.name)) return {finishOptions(entry, given), 0};
    }
    return refuse(kNoCommand);
  } catch (const CLI::CallForHelp& e) {
    return {std::nullopt, app.exit(e, out, err)};
  } catch (const CLI::CallForAllHelp& e) {
    return {std::nullopt, app.exit(e, out, err)};
  } catch (const CLI::CallForVersion& e) {
    return {std::nullopt, app.exit(e, out, err)};
  } catch (const CLI::ParseError& e) {
    const bool noCommand = e.get_name() == "RequiredError" && app.get_subcommands().empty();
    return refuse(noCommand ? kNoCommand : e.what());
  } catch (const UsageError& e) {
    return refuse(e.what());
  }
}

}  // namespace brimwell::cli
