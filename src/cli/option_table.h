// Every option of brimwell-cli in one table: its name, the name of its value in the help,
// the range its value must lie in, its help text, and the check its value meets. The help
// names the range and a refused value's message names it, both from the same row.
//
// An option can read differently in different commands (--percent is the share kept in
// sort-out and the share deleted in run): it then has a row for each, and each command
// lists the rows it takes (command_table.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/command_line.h"

namespace brimwell::cli {

enum class Opt {
  Location,
  MeasureTarget,
  TemplateCensus,
  Template,
  TemplateMeasure,
  Save,
  ListBuild,
  ListReproduce,
  ListSortOut,
  ListErase,
  ListRun,
  Files,
  Folders,
  Root,
  Prefix,
  Fill,
  TargetBuild,
  TargetList,
  TargetRun,
  AllowRoot,
  Seed,
  Yes,
  PercentKept,
  PercentDeleted,
  Rounds,
  ByUse,
  Layout,
  Like,
  Append,
  Probe,
  ReadCost,
  Json,
  Svg,
};

// What an option's value is, and so how it is checked.
enum class Value {
  Flag,        // no value
  Text,        // any text
  Whole,       // a whole decimal number in the range, digits only
  Score,       // a decimal score in the range (kept in hundredths), such as 0.7
  RootFolder,  // NAME:DEPTH, the DEPTH after the last ':' a whole number in the range
  ByteSize,    // a positive byte count, optionally with K, M, G or T
};

struct Range {
  std::int64_t minimum = 0;
  std::int64_t maximum = 0;
};

struct OptionRow {
  Opt opt;
  const char* names;      // "--yes,-y"; a positional's name: "LOCATION"
  const char* valueName;  // in the help: "N"; "" for a flag or a positional
  Value value;
  Range range;       // Whole, Score (hundredths), RootFolder (the depth)
  const char* help;  // "{range}" stands for the range as text
  bool required = false;
  std::size_t mostTimes = 1;  // how often it may be given (--root: five)
};

const OptionRow& optionRow(Opt opt);
// The option's name as messages give it: its first name ("--yes" of "--yes,-y").
std::string_view optionName(const OptionRow& row);
// "1 to 99", "0.50 to 1.00".
std::string rangeText(const OptionRow& row);
std::string helpText(const OptionRow& row);

// A value checked against its row; nothing when it is refused, and refusal() says why.
std::optional<std::int64_t> checkedWhole(const OptionRow& row, std::string_view text);
// "0.7", "0.85", "1": digits and one decimal point only.
std::optional<double> checkedScore(const OptionRow& row, const std::string& text);
std::optional<RootFolder> checkedRoot(const OptionRow& row, const std::string& text);
// "64M", "64MiB", "1G", "4096", "512K": a positive byte count (K, M, G, T are powers of
// 1024); nothing when malformed or beyond 2^62.
std::optional<std::uint64_t> parseByteSize(const std::string& text);
// "--files: 'x' is not a whole number from 1 to 1000000"
std::string refusal(const OptionRow& row, const std::string& text);

}  // namespace brimwell::cli
