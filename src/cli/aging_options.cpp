#include "cli/aging_options.h"

#include <CLI/CLI.hpp>
#include <charconv>

namespace brimwell::cli {
namespace {

// The value of `given` from `minimum` to `maximum`, or the problem in `problem`.
std::optional<std::int32_t> inRange(const char* option, const std::optional<std::string>& given,
                                    std::int32_t minimum, std::int32_t maximum,
                                    std::string& problem) {
  if (!given || !problem.empty()) return std::nullopt;
  const auto value = parseWholeNumber(*given);
  if (!value || *value < minimum || *value > maximum) {
    problem = std::string(option) + ": '" + *given + "' is not a whole number from " +
              std::to_string(minimum) + " to " + std::to_string(maximum);
    return std::nullopt;
  }
  return static_cast<std::int32_t>(*value);
}

// "0.7", "0.85", "1": a score from 0.50 to 1.00, digits and one decimal point only.
std::optional<double> layoutScore(const std::string& text) {
  const std::size_t point = text.find('.');
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos || point == 0 ||
      point + 1 == text.size() ||
      (point != std::string::npos && text.find('.', point + 1) != std::string::npos)) {
    return std::nullopt;
  }
  double value = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || stop != text.data() + text.size()) return std::nullopt;
  if (value < 0.5 || value > 1.0) return std::nullopt;
  return value;
}

}  // namespace

void addMeasureCommand(CLI::App& app, CliOptions& options, AgingRawOptions& raw) {
  CLI::App* measure = app.add_subcommand(
      "measure",
      "Report how full the volume is, how the sizes fit a template, and how fragmented the "
      "files and the free space are");
  measure->add_option("TARGET", options.location, "Folder to measure, such as /mnt/scratch")
      ->required();
  measure
      ->add_option("--template", options.templateFile,
                   "Compare the sizes of the files under TARGET with this template (.fs)")
      ->type_name("FILE");
  measure
      ->add_option("--probe", raw.probe,
                   "Write one file of this size (such as 64M) with random bytes, report its "
                   "extents and delete it")
      ->type_name("SIZE");
  measure->add_flag("--read-cost", options.readCost,
                    "Also model the time a hard disk takes to read every file in walk order "
                    "(seek 1 ms + 7 ms x sqrt(distance / volume size), half a rotation 4.17 ms, "
                    "150 MB/s)");
  measure->add_flag("--json", options.json, "Print the figures as JSON");
  measure
      ->add_option("--svg", options.svgFile,
                   "Also draw the fit and the free extents by size as an SVG picture")
      ->type_name("FILE");
  measure->footer(
      "File and free-space extents come from the file system (Linux: FIEMAP, or FIBMAP block "
      "by block as root where FIEMAP is missing; GETFSMAP on ext4 and XFS and the extent tree "
      "on Btrfs, as root); figures it does not report are named as unavailable.\n"
      "Example:\n  brimwell-cli measure /mnt/scratch --template default "
      "--probe 64M --svg drive.svg");
}

void addFillOption(CLI::App& command, AgingRawOptions& raw) {
  command
      .add_option("--fill", raw.fill,
                  "Instead of --files: list as many files as fill PERCENT of the volume "
                  "holding --target (1 to 99), counting whole blocks")
      ->type_name("PERCENT");
}

void addRoundsOption(CLI::App& command, AgingRawOptions& raw) {
  command
      .add_option("--rounds", raw.rounds,
                  "Age in K rounds (1 to 1000; default 1): each further round writes a new "
                  "batch that refills the volume and deletes the share of all files left")
      ->type_name("K");
}

void addLayoutOptions(CLI::App& command, CliOptions& options, AgingRawOptions& raw) {
  command
      .add_option("--layout", raw.layout,
                  "With --fill or --files: cut files as they are written so that the files "
                  "under --target end at this layout score (0.50 to 1.00; 1.00: every file "
                  "whole), as measure reports it")
      ->type_name("SCORE");
  command
      .add_option("--like", options.likeFile,
                  "Instead of --fill and --layout: age the volume like the drive measure --json "
                  "described in this file (its fill, layout score, files by extents)")
      ->type_name("FILE");
}

std::string finishAgingOptions(CliOptions& options, const AgingRawOptions& raw) {
  std::string problem;
  options.fill = inRange("--fill", raw.fill, 1, 99, problem);
  if (const auto rounds = inRange("--rounds", raw.rounds, 1, 1000, problem)) {
    options.rounds = *rounds;
  }
  if (!problem.empty()) return problem;
  if (!options.likeFile.empty() && (raw.layout || options.fill || options.files)) {
    return "--like: the profile gives the fill and the layout; leave out --fill, --files, --layout";
  }
  if (raw.layout) {
    options.layout = layoutScore(*raw.layout);
    if (!options.layout) {
      return "--layout: '" + *raw.layout + "' is not a score from 0.50 to 1.00, such as 0.7";
    }
    if (!options.fill && !options.files) {
      return "--layout: needs --fill or --files, the files to be written";
    }
  }
  if (options.fill && options.files) return "--fill: give either --files or --fill, not both";
  if (options.fill && !options.target) {
    return "--fill: needs --target, the folder whose volume is to be filled";
  }
  if (raw.probe) {
    const auto bytes = parseByteSize(*raw.probe);
    if (!bytes) {
      return "--probe: '" + *raw.probe +
             "' is not a size in bytes (a whole number, optionally with K, M, G or T)";
    }
    options.probeBytes = *bytes;
  }
  return {};
}

std::optional<std::uint64_t> parseByteSize(const std::string& text) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || value == 0) return std::nullopt;
  std::string unit(stop, end);
  if (unit.size() >= 2 && unit.substr(unit.size() - 2) == "iB") unit.resize(unit.size() - 2);
  if (unit.size() == 2 && unit[1] == 'B') unit.resize(1);
  static constexpr const char* kUnits = "KMGT";
  int shift = 0;
  if (unit.size() == 1) {
    for (int i = 0; i < 4; ++i) {
      if (unit[0] == kUnits[i] || unit[0] == kUnits[i] + ('a' - 'A')) shift = 10 * (i + 1);
    }
    if (shift == 0) return std::nullopt;
  } else if (!unit.empty()) {
    return std::nullopt;
  }
  if (value > (std::uint64_t{1} << 62 >> shift)) return std::nullopt;
  return value << shift;
}

}  // namespace brimwell::cli
