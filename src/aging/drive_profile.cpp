#include "aging/drive_profile.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <numeric>

#include "app/failure.h"
#include "app/read_limit.h"
#include "app/size_text.h"
#include "platform/whole_file.h"
#include "platform/windows_errors.h"

namespace brimwell::aging {
namespace {

using nlohmann::json;

[[noreturn]] void refuse(const std::string& file, const std::string& problem) {
  throw Failure("The profile '" + file + "' cannot be used: " + problem +
                " (a profile is what brimwell-cli measure --json prints for a drive)");
}

// Whether `group` says "known": true (any other value, or none, is not).
bool isKnown(const json& group) {
  const auto known = group.find("known");
  return known != group.end() && known->is_boolean() && known->get<bool>();
}

// The group `name` of `root`, which must say it is known.
const json& knownGroup(const std::string& file, const json& root, const char* name) {
  const auto group = root.find(name);
  if (group == root.end() || !group->is_object()) {
    refuse(file, std::string("it has no \"") + name + "\" group");
  }
  if (!isKnown(*group)) {
    const auto why = group->find("why");
    refuse(file, std::string("its \"") + name + "\" is not known" +
                     (why != group->end() && why->is_string() ? ": " + why->get<std::string>()
                                                              : std::string()));
  }
  return *group;
}

// The number `name` of `group`, from `lowest` to `highest`.
double number(const std::string& file, const json& group, const char* groupName, const char* name,
              double lowest, double highest) {
  const auto value = group.find(name);
  if (value == group.end() || !value->is_number() || value->get<double>() < lowest ||
      value->get<double>() > highest) {
    refuse(file, std::string("\"") + groupName + "\" has no \"" + name + "\" from " +
                     fixedDecimals(lowest, 0) + " to " + fixedDecimals(highest, 0));
  }
  return value->get<double>();
}

bool isCount(const json& value) {
  return value.is_number_integer() && value.get<std::int64_t>() >= 0;
}

// Whether the counts add up without passing the largest 64-bit count, so that every share
// of them lies between 0 and 1.
bool addsUp(std::span<const std::int64_t> counts) {
  std::int64_t total = 0;
  for (const std::int64_t count : counts) {
    if (count > std::numeric_limits<std::int64_t>::max() - total) return false;
    total += count;
  }
  return true;
}

std::optional<FreeSizeCounts> freeBySize(const json& root) {
  const auto group = root.find("free_space");
  if (group == root.end() || !group->is_object() || !isKnown(*group)) {
    return std::nullopt;
  }
  const auto classes = group->find("extents_by_size");
  if (classes == group->end() || !classes->is_array()) return std::nullopt;
  FreeSizeCounts counts{};
  for (const json& row : *classes) {
    if (!row.is_object() || !row.contains("from_bytes") || !row.contains("extents") ||
        !isCount(row["from_bytes"]) || !isCount(row["extents"])) {
      return std::nullopt;
    }
    const auto from = row["from_bytes"].get<std::uint64_t>();
    if (!std::has_single_bit(from)) return std::nullopt;
    auto& count = counts[static_cast<std::size_t>(std::countr_zero(from))];
    const auto extents = row["extents"].get<std::int64_t>();
    if (extents > std::numeric_limits<std::int64_t>::max() - count) return std::nullopt;
    count += extents;
  }
  if (!addsUp(counts)) return std::nullopt;
  return counts;
}

}  // namespace

DriveProfile readDriveProfile(const std::string& file) {
  std::string text;
  std::uint64_t size = 0;
  if (const int error = readWholeFileUpTo(file, kReadWholeLimit, text, size); error != 0) {
    refuse(file, error == winerr::kFileTooLarge ? tooLargeToReadText(size)
                                                : "it cannot be read: " + ioErrorMessage(error));
  }
  json root;
  try {
    root = json::parse(text);
  } catch (const json::exception& error) {
    // "[json.exception.parse_error.101] parse error at line 3, ...", "[json.exception.
    // out_of_range.406] number overflow parsing '1e400'": the part after the tag.
    const std::string what = error.what();
    const std::size_t tag = what.find("] ");
    refuse(file, "it is not JSON: " + (tag == std::string::npos ? what : what.substr(tag + 2)));
  }
  if (!root.is_object()) refuse(file, "it is not a JSON object");

  DriveProfile profile;
  profile.file = file;
  profile.usedPercent =
      number(file, knownGroup(file, root, "fill"), "fill", "used_percent", 0, 100);
  const json& files = knownGroup(file, root, "file_fragmentation");
  profile.layoutScore = number(file, files, "file_fragmentation", "layout_score", 0, 1);
  profile.fragmentedPercent =
      number(file, files, "file_fragmentation", "fragmented_percent", 0, 100);
  if (const auto tree = files.find("tree_order_score"); tree != files.end()) {
    profile.treeOrderScore = number(file, files, "file_fragmentation", "tree_order_score", 0, 1);
  }
  const auto classes = files.find("files_by_extents");
  for (std::size_t k = 0; k < measure::kExtentClasses; ++k) {
    const char* name = measure::extentClassName(k);
    if (classes == files.end() || !classes->is_object() || !classes->contains(name) ||
        !isCount((*classes)[name])) {
      refuse(file, std::string("\"file_fragmentation\" has no count of files of \"") + name +
                       "\" extents in \"files_by_extents\"");
    }
    profile.filesByExtents[k] = (*classes)[name].get<std::int64_t>();
  }
  if (!addsUp(profile.filesByExtents)) {
    refuse(file, "its counts of files by extents add up to more than 2^63 - 1 files");
  }
  profile.freeBySize = freeBySize(root);
  return profile;
}

double ksDistance(std::span<const std::int64_t> a, std::span<const std::int64_t> b) {
  const auto total = [](std::span<const std::int64_t> counts) {
    return static_cast<double>(std::accumulate(counts.begin(), counts.end(), std::int64_t{0}));
  };
  const double totalA = total(a);
  const double totalB = total(b);
  if (totalA == 0 || totalB == 0) return 0;
  double sumA = 0;
  double sumB = 0;
  double distance = 0;
  for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k) {
    sumA += static_cast<double>(a[k]);
    sumB += static_cast<double>(b[k]);
    distance = std::max(distance, std::abs(sumA / totalA - sumB / totalB));
  }
  return distance;
}

std::array<double, measure::kExtentClasses> extentClassShares(const DriveProfile& profile) {
  std::array<double, measure::kExtentClasses> shares{};
  const auto& counts = profile.filesByExtents;
  const auto all = std::accumulate(counts.begin(), counts.end(), std::int64_t{0});
  for (std::size_t k = 0; k < shares.size() && all > 0; ++k) {
    shares[k] = static_cast<double>(counts[k]) / static_cast<double>(all);
  }
  return shares;
}

namespace {

std::string treeOrderText(const DriveProfile& profile, const measure::ReadOrderFigures& order) {
  if (!order.known) return ", tree order unavailable (" + order.why + ")";
  return ", tree order " + fixedDecimals(order.treeOrder.score, 3) + " (" +
         (profile.treeOrderScore ? fixedDecimals(*profile.treeOrderScore, 3)
                                 : std::string("not in the profile")) +
         ")";
}

}  // namespace

std::string likeSummary(const DriveProfile& profile, std::optional<double> usedPercent,
                        const measure::FileLayoutFigures& files,
                        const measure::FreeSpaceFigures& free,
                        const measure::ReadOrderFigures& order) {
  std::string text =
      "Like " + profile.file + ": used " +
      (usedPercent ? fixedDecimals(*usedPercent, 1) + " %" : std::string("unknown")) + " (" +
      fixedDecimals(profile.usedPercent, 1) + "), ";
  if (files.known) {
    text += "layout " + fixedDecimals(files.layoutScore, 3) + " (" +
            fixedDecimals(profile.layoutScore, 3) + "), files by extents K-S " +
            fixedDecimals(ksDistance(files.histogram, profile.filesByExtents), 3);
  } else {
    text += "layout unavailable (" + files.why + ")";
  }
  if (!free.known || !profile.freeBySize) {
    text += ", free space by size unavailable (" +
            (free.known ? "the profile does not tell it" : free.why) + ")";
  } else {
    text += ", free space by size K-S " +
            fixedDecimals(ksDistance(free.histogram, *profile.freeBySize), 3);
  }
  return text + treeOrderText(profile, order) + "\n";
}

}  // namespace brimwell::aging
