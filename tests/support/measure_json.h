// Reading figures out of `brimwell-cli measure --json` in tests, by group and name, and
// numbers out of the lines of other tools' reports.
#pragma once

#include <cstdint>
#include <string>

namespace brimwell::testing {

// The number `name` in the group `group` ("fill"; a group inside one: "a/b").
double jsonNumber(const std::string& json, const std::string& group, const std::string& name);
// True when the group says "known": true.
bool jsonKnown(const std::string& json, const std::string& group);

// The whole number right after the first `label` in `text` at or after `from`, which moves
// past it (so calls in a row read along a line); -1 when the label or the number is missing.
std::int64_t numberAfter(const std::string& text, const std::string& label, std::size_t& from);

// The layout score filefrag gives the files under `folder`, and the share of files of one
// block or more (small: under 16 blocks; large: the others) in more than one extent.
struct Filefrag {
  double score = 1.0;
  double smallSplit = 0;
  double largeSplit = 0;
};
Filefrag filefragFigures(const std::string& folder);

}  // namespace brimwell::testing
