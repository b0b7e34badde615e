#include "cli/aging_options.h"

namespace brimwell::cli {

std::string likeConflict(const CliOptions& options, bool layoutGiven) {
  if (!options.likeFile.empty() && (layoutGiven || options.fill || options.files)) {
    return "--like: the profile gives the fill and the layout; leave out --fill, --files, --layout";
  }
  return {};
}

std::string agingOptionsProblem(const CliOptions& options) {
  if (options.layout && !options.fill && !options.files) {
    return "--layout: needs --fill or --files, the files to be written";
  }
  if (options.byUse && options.rounds.value_or(1) < 2) {
    return "--by-use: needs --rounds 2 or more; the first round writes the files the later "
           "rounds use";
  }
  if (options.byUse && (options.layout || !options.likeFile.empty())) {
    return "--by-use: cannot be combined with --layout or --like; their score is reached by "
           "cutting files as they are written, which moves and appends would undo";
  }
  if (options.fill && options.files) return "--fill: give either --files or --fill, not both";
  if (options.fill && !options.target) {
    return "--fill: needs --target, the folder whose volume is to be filled";
  }
  return {};
}

}  // namespace brimwell::cli
