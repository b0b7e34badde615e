// The options that aim the aging and measure it: the measure command, --fill on build and
// run, and --rounds, --layout and --like on run. Kept apart from the other commands' options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/command_line.h"

namespace CLI {
class App;
}

namespace brimwell::cli {

// Option texts as typed, checked by finishAgingOptions.
struct AgingRawOptions {
  std::optional<std::string> fill;
  std::optional<std::string> rounds;
  std::optional<std::string> probe;
  std::optional<std::string> layout;
};

void addMeasureCommand(CLI::App& app, CliOptions& options, AgingRawOptions& raw);
void addFillOption(CLI::App& command, AgingRawOptions& raw);
void addRoundsOption(CLI::App& command, AgingRawOptions& raw);
void addLayoutOptions(CLI::App& command, CliOptions& options, AgingRawOptions& raw);

// Checks and puts the texts into `options`; returns the problem, empty when there is none.
std::string finishAgingOptions(CliOptions& options, const AgingRawOptions& raw);

// "64M", "64MiB", "1G", "4096", "512K": a positive byte count (K, M, G, T are powers of
// 1024); nothing when malformed or beyond 2^62.
std::optional<std::uint64_t> parseByteSize(const std::string& text);

}  // namespace brimwell::cli
