#include "measure/measurement_json.h"

#include <cmath>

#include "app/message_text.h"
#include "nlohmann/json.hpp"

namespace brimwell::measure {
namespace {

// Groups keep the order in which they are read out.
using Json = nlohmann::ordered_json;

// A figure rounded to `decimals` places, as the text shows it (never -0).
double rounded(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale + 0.0;
}

// The head of a group: known, and the reason when it is not.
Json known(bool isKnown, const std::string& why) {
  Json group = {{"known", isKnown}};
  if (!isKnown) group["why"] = why;
  return group;
}

}  // namespace

std::string measurementJson(const Measurement& m) {
  const auto& fill = m.fill;
  Json json = {{"target", validUtf8(m.target)}};
  Json fillGroup = known(fill.known, fill.why);
  if (fill.known) {
    fillGroup.update({{"volume_bytes", fill.volumeBytes},
                      {"used_bytes", fill.usedBytes},
                      {"free_bytes", fill.freeBytes},
                      {"available_bytes", fill.availableBytes},
                      {"block_size", fill.blockSize},
                      {"used_percent", rounded(fill.usedPercent, 3)},
                      {"file_system", fill.fileSystem}});
  }
  fillGroup["files"] = fill.files;
  if (const auto bytes = asUint64(fill.bytes)) {
    fillGroup["bytes"] = *bytes;
  } else {
    // No JSON reader is bound to read a number above 64 bits exactly.
    fillGroup["bytes_why"] = "more than 2^64 - 1 bytes: " + decimalText(fill.bytes);
  }
  fillGroup["folders"] = fill.folders;
  json["fill"] = std::move(fillGroup);

  Json fit = known(m.fit.known, m.fit.why);
  if (m.fit.known) {
    Json rows = Json::array();
    for (const auto& r : m.fit.rows) {
      rows.push_back({{"threshold", r.threshold},
                      {"template_percent", rounded(r.templatePercent, 3)},
                      {"files", r.files},
                      {"achieved_percent", rounded(r.achievedPercent, 3)},
                      {"difference", rounded(r.achievedPercent - r.templatePercent, 3)}});
    }
    fit["rows"] = std::move(rows);
    fit["largest_difference"] = rounded(m.fit.largestDifference, 3);
    fit["largest_row"] = m.fit.rows[m.fit.largestRow].threshold;
  }
  json["fit"] = std::move(fit);

  const auto& files = m.files;
  Json fragmentation = known(files.known, files.why);
  if (files.known) {
    Json byExtents = Json::object();
    for (std::size_t k = 0; k < kExtentClasses; ++k) {
      byExtents[extentClassName(k)] = files.histogram[k];
    }
    fragmentation.update({{"files", files.files},
                          {"unreadable", files.unreadable},
                          {"resident", files.resident},
                          {"unplaced", files.unplaced},
                          {"fragmented_files", files.fragmented},
                          {"fragmented_percent", rounded(files.fragmentedPercent(), 3)},
                          {"extents", files.extents},
                          {"mean_extents", rounded(files.meanExtents(), 4)},
                          {"largest_extents", files.largestExtents},
                          {"layout_score", rounded(files.layoutScore, 5)},
                          {"layout_blocks", files.layoutBlocks},
                          {"contiguous_blocks", files.contiguousBlocks},
                          {"files_by_extents", std::move(byExtents)}});
  }
  json["file_fragmentation"] = std::move(fragmentation);

  const auto& free = m.freeSpace;
  Json freeGroup = known(free.known, free.why);
  if (free.known) {
    Json bySize = Json::array();
    const auto [first, last] = usedSizeClasses(free);
    for (std::size_t k = first; k <= last && k < free.histogram.size(); ++k) {
      bySize.push_back({{"from_bytes", std::uint64_t{1} << k},
                        {"below_bytes", std::uint64_t{2} << k},
                        {"extents", free.histogram[k]},
                        {"bytes", free.bytesByClass[k]}});
    }
    freeGroup.update({{"extents", free.extents},
                      {"free_bytes", free.freeBytes},
                      {"median_bytes", free.medianBytes},
                      {"largest_bytes", free.largestBytes},
                      {"extents_by_size", std::move(bySize)}});
    if (free.unallocatedKnown) freeGroup["unallocated_bytes"] = free.unallocatedBytes;
  }
  json["free_space"] = std::move(freeGroup);

  Json probe = {{"requested", m.probe.requested}};
  if (m.probe.requested) {
    probe.update(known(m.probe.known, m.probe.why));
    probe["bytes"] = m.probe.bytes;
    if (m.probe.known) probe["extents"] = m.probe.extents;
  }
  json["probe"] = std::move(probe);
  // Names the file system holds in another encoding are not UTF-8: such bytes become U+FFFD,
  // so the document stays valid.
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace brimwell::measure
