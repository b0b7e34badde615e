#include "cli/option_table.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <stdexcept>

#include "app/fields.h"

namespace brimwell::cli {
namespace {

Range spinRange(SpinField field) {
  const SpinFieldInfo& info = spinFieldInfo(field);
  return {info.minimum, info.maximum};
}

constexpr const char* kTemplateHelp =
    "Size template file (.fs), or a bundled template's name such as default";

const Range kPercent = spinRange(SpinField::delprocent);

const std::array<OptionRow, 33> kRows{{
    {Opt::Location,
     "LOCATION",
     "",
     Value::Text,
     {},
     "Folder or drive to walk, such as /usr or c:\\",
     true},
    {Opt::MeasureTarget,
     "TARGET",
     "",
     Value::Text,
     {},
     "Folder to measure, such as /mnt/scratch",
     true},
    {Opt::TemplateCensus,
     "--template",
     "FILE",
     Value::Text,
     {},
     "Size template file (.fs) to fill, or a bundled template's name",
     true},
    {Opt::Template, "--template", "FILE", Value::Text, {}, kTemplateHelp, true},
    {Opt::TemplateMeasure,
     "--template",
     "FILE",
     Value::Text,
     {},
     "Compare the sizes of the files under TARGET with this template (.fs)"},
    {Opt::Save, "--save", "FILE", Value::Text, {}, "Save the filled template to this file"},
    {Opt::ListBuild,
     "--list",
     "OUT",
     Value::Text,
     {},
     "File list to write (path TAB size a line)",
     true},
    {Opt::ListReproduce, "--list", "FILE", Value::Text, {}, "File list to write out", true},
    {Opt::ListSortOut,
     "--list",
     "FILE",
     Value::Text,
     {},
     "File list to thin; it is rewritten",
     true},
    {Opt::ListErase, "--list", "FILE", Value::Text, {}, "File list of the files to delete", true},
    {Opt::ListRun,
     "--list",
     "OUT",
     Value::Text,
     {},
     "Keep the list of every file still on disk in this file (default: beside the "
     "target, such as /mnt/scratch.brimwell-list.txt)"},
    {Opt::Files, "--files", "N", Value::Whole, spinRange(SpinField::SpinEdit1),
     "Number of files to list ({range}; default 6000)"},
    {Opt::Folders, "--folders", "N", Value::Whole, spinRange(SpinField::SpinEdit2),
     "Number of folder paths to draw ({range}; default 800)"},
    {Opt::Root, "--root", "NAME:DEPTH", Value::RootFolder, spinRange(SpinField::subf1),
     "A root folder and the most levels of subfolders under it ({range}); give "
     "it up to five times to replace the five default roots",
     false, 5},
    {Opt::Prefix,
     "--prefix",
     "TEXT",
     Value::Text,
     {},
     "Text every file name starts with (default \"001-\")"},
    {Opt::Fill,
     "--fill",
     "PERCENT",
     Value::Whole,
     {1, 99},
     "Instead of --files: list as many files as fill PERCENT of the volume "
     "holding --target ({range}), counting whole blocks"},
    {Opt::TargetBuild,
     "--target",
     "PATH",
     Value::Text,
     {},
     "Folder every path starts with (a trailing \"/\" is added when missing; "
     "a relative one is taken from the current folder; default \"d:\\\", "
     "a drive that this system does not map). The list records it"},
    {Opt::TargetList,
     "--target",
     "DIR",
     Value::Text,
     {},
     "The folder the list's files must lie in, for a list that does not record "
     "it (a list made by build does); it must match a recorded one"},
    {Opt::TargetRun,
     "--target",
     "PATH",
     Value::Text,
     {},
     "Folder to fill, such as /mnt/scratch/ (created when missing; a relative one "
     "is taken from the current folder)",
     true},
    {Opt::AllowRoot,
     "--allow-root",
     "",
     Value::Flag,
     {},
     "Let the target folder be the root of the tree (/, c:\\); refused otherwise"},
    {Opt::Seed,
     "--seed",
     "S",
     Value::Whole,
     {0, 4294967295LL},
     "State of the random source ({range}); the same seed gives the "
     "same result. Without it a seed is taken from the clock and printed"},
    {Opt::Yes,
     "--yes,-y",
     "",
     Value::Flag,
     {},
     "Answer OK to the question before anything is written or deleted"},
    {Opt::PercentKept, "--percent", "P", Value::Whole, kPercent,
     "Share of the files to keep ({range}; default 15)"},
    {Opt::PercentDeleted, "--percent", "P", Value::Whole, kPercent,
     "Share of the files to delete ({range}; default 15)"},
    {Opt::Rounds,
     "--rounds",
     "K",
     Value::Whole,
     {1, 1000},
     "Age in K rounds ({range}; default 1): each further round writes a new "
     "batch that refills the volume and deletes the share of all files left"},
    {Opt::ByUse,
     "--by-use",
     "",
     Value::Flag,
     {},
     "With --rounds 2 or more: age by use. Each round after the first also replaces 30 % of "
     "the files left (new content renamed over the old) and grows 10 % in place, and every "
     "new file and new content is written in the folder ID-staging at the target's root, in "
     "a random order, and moved into place, so that a folder's files lie apart"},
    {Opt::Layout,
     "--layout",
     "SCORE",
     Value::Score,
     {50, 100},
     "With --fill or --files: cut files as they are written so that the files "
     "under --target end at this layout score ({range}; 1.00: every file "
     "whole), as measure reports it"},
    {Opt::Like,
     "--like",
     "FILE",
     Value::Text,
     {},
     "Instead of --fill and --layout: age the volume like the drive measure --json "
     "described in this file (its fill, layout score, files by extents)"},
    {Opt::Append,
     "--append",
     "",
     Value::Flag,
     {},
     "When the list still names files on disk, keep them in it and add this job's "
     "files (without it, such a list is refused)"},
    {Opt::Probe,
     "--probe",
     "SIZE",
     Value::ByteSize,
     {},
     "Write one file of this size (such as 64M) with random bytes, report its "
     "extents and delete it"},
    {Opt::ReadCost,
     "--read-cost",
     "",
     Value::Flag,
     {},
     "Also model the time a hard disk takes to read every file in walk order (seek 1 ms + "
     "7 ms x sqrt(distance / volume size), half a rotation 4.17 ms, 150 MB/s)"},
    {Opt::Json, "--json", "", Value::Flag, {}, "Print the figures as JSON"},
    {Opt::Svg,
     "--svg",
     "FILE",
     Value::Text,
     {},
     "Also draw the fit and the free extents by size as an SVG picture"},
}};

// A whole decimal number, digits only (no sign, no blank).
std::optional<std::int64_t> wholeNumber(std::string_view text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

bool inRange(std::int64_t value, const Range& range) {
  return value >= range.minimum && value <= range.maximum;
}

std::string hundredths(std::int64_t value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%lld.%02lld", static_cast<long long>(value / 100),
                static_cast<long long>(value % 100));
  return text;
}

}  // namespace

const OptionRow& optionRow(Opt opt) {
  for (const OptionRow& row : kRows) {
    if (row.opt == opt) return row;
  }
  throw std::logic_error("an option without a row");
}

std::string_view optionName(const OptionRow& row) {
  const std::string_view names(row.names);
  return names.substr(0, names.find(','));
}

std::string rangeText(const OptionRow& row) {
  if (row.value == Value::Score) {
    return hundredths(row.range.minimum) + " to " + hundredths(row.range.maximum);
  }
  return std::to_string(row.range.minimum) + " to " + std::to_string(row.range.maximum);
}

std::string helpText(const OptionRow& row) {
  std::string help(row.help);
  constexpr std::string_view kRange = "{range}";
  if (const std::size_t at = help.find(kRange); at != std::string::npos) {
    help.replace(at, kRange.size(), rangeText(row));
  }
  return help;
}

std::optional<std::int64_t> checkedWhole(const OptionRow& row, std::string_view text) {
  const auto value = wholeNumber(text);
  if (!value || !inRange(*value, row.range)) return std::nullopt;
  return value;
}

std::optional<double> checkedScore(const OptionRow& row, const std::string& text) {
  // Digits and at most one decimal point, with digits on both sides of it.
  const std::size_t point = text.find('.');
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos || point == 0 ||
      point + 1 == text.size() ||
      (point != std::string::npos && text.find('.', point + 1) != std::string::npos)) {
    return std::nullopt;
  }
  double value = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || stop != text.data() + text.size()) return std::nullopt;
  if (value < static_cast<double>(row.range.minimum) / 100 ||
      value > static_cast<double>(row.range.maximum) / 100) {
    return std::nullopt;
  }
  return value;
}

std::optional<RootFolder> checkedRoot(const OptionRow& row, const std::string& text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  const auto depth = checkedWhole(row, std::string_view(text).substr(colon + 1));
  if (!depth) return std::nullopt;
  return RootFolder{text.substr(0, colon), static_cast<std::int32_t>(*depth)};
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

std::string refusal(const OptionRow& row, const std::string& text) {
  const std::string given = std::string(optionName(row)) + ": '" + text + "' ";
  switch (row.value) {
    case Value::Score:
      return given + "is not a score from " + rangeText(row) + ", such as 0.7";
    case Value::RootFolder:
      return given + "is not NAME:DEPTH with a DEPTH from " + rangeText(row) +
             " after the last ':' (for example --root \"Windows emul:3\")";
    case Value::ByteSize:
      return given + "is not a size in bytes (a whole number, optionally with K, M, G or T)";
    default:
      return given + "is not a whole number from " + rangeText(row);
  }
}

}  // namespace brimwell::cli
