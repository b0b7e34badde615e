// The command line of brimwell-cli: its commands and options, read into CliOptions.
//
//   census LOCATION --template FILE [--save FILE]
//   build --template FILE --list OUT [--files N] [--folders N] [--root NAME:DEPTH]...
//         [--prefix TEXT] [--target PATH] [--allow-root] [--seed S]
//   reproduce --list FILE [--target DIR] [--allow-root] [--seed S] [--yes]
//   sort-out --list FILE [--percent P] [--seed S] [--yes]
//   erase --list FILE [--target DIR] [--allow-root] [--yes]
//   run --template FILE --target PATH [build options] [--percent P] [--list OUT] [--append]
//       [--rounds K [--by-use]] [--layout SCORE | --like PROFILE] [--allow-root] [--seed S]
//       [--yes]
//   templates
//   measure TARGET [--template FILE] [--probe SIZE] [--read-cost] [--json] [--svg FILE]
//
// A --template that is a bare name such as "default" is a bundled template
// (bundled_templates.h). build and run take --fill PERCENT in place of --files.
//
// Options left out keep the window's defaults. --help and --version print and end the
// program with 0; anything wrong ends it with 2 and a message that says what to do.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace brimwell::cli {

enum class Command { Census, Build, Reproduce, SortOut, Erase, Run, Templates, Measure };

struct RootFolder {
  std::string name;
  std::int32_t depth = 0;
};

struct CliOptions {
  Command command = Command::Run;
  std::string location;      // census, measure
  std::string templateFile;  // census, build, run
  std::string templateNote;  // which of two templates of that name was read; empty: no doubt
  std::string saveFile;      // census --save; empty: not saved
  std::string listFile;      // empty: none (only run may leave it out)
  std::optional<std::int32_t> files;
  std::optional<std::int32_t> folders;
  std::vector<RootFolder> roots;  // empty: the window's five
  std::optional<std::string> prefix;
  std::optional<std::string> target;  // absolute and normalised (joblist/list_target.h)
  bool allowRoot = false;             // the target may be the root of the tree
  std::optional<std::int32_t> percent;
  std::optional<std::uint32_t> seed;
  bool yes = false;
  std::optional<std::int32_t> fill;    // build, run: percent of the volume, instead of files
  std::optional<std::int32_t> rounds;  // run; nothing: one round and no round line
  std::optional<double> layout;        // run: the layout score to age the files to
  std::string likeFile;                // run: measure --json of a drive to age like; "": none
  bool byUse = false;                  // run: rounds after the first replace, grow, move in
  bool append = false;           // run: the list keeps the files of earlier jobs that are on disk
  std::uint64_t probeBytes = 0;  // measure; 0: no probe
  bool json = false;             // measure
  bool readCost = false;         // measure: model a hard disk's read time
  std::string svgFile;           // measure; empty: none
};

// The options, or the exit code to end with when the command line asked for help or
// the version (0) or was wrong (2); what is to be shown has been written to `out` (help,
// version) or `err` (the problem).
struct ParsedCommandLine {
  std::optional<CliOptions> options;
  int exitCode = 0;
};

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments, std::ostream& out,
                                   std::ostream& err);

// The name of `command` as it is typed ("sort-out").
const char* commandName(Command command);

}  // namespace brimwell::cli
