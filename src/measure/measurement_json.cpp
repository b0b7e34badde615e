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

Json fillJson(const FillFigures& fill) {
  Json group = known(fill.known, fill.why);
  if (fill.known) {
    group.update({{"volume_bytes", fill.volumeBytes},
                  {"used_bytes", fill.usedBytes},
                  {"free_bytes", fill.freeBytes},
                  {"available_bytes", fill.availableBytes},
                  {"block_size", fill.blockSize},
                  {"used_percent", rounded(fill.usedPercent, 3)},
                  {"file_system", fill.fileSystem}});
  }
  group["files"] = fill.files;
  if (const auto bytes = asUint64(fill.bytes)) {
    group["bytes"] = *bytes;
  } else {
    // No JSON reader is bound to read a number above 64 bits exactly.
    group["bytes_why"] = "more than 2^64 - 1 bytes: " + decimalText(fill.bytes);
  }
  group["folders"] = fill.folders;
  return group;
}

Json fitJson(const FitFigures& fit) {
  Json group = known(fit.known, fit.why);
  if (!fit.known) return group;
  Json rows = Json::array();
  for (const auto& r : fit.rows) {
    rows.push_back({{"threshold", r.threshold},
                    {"template_percent", rounded(r.templatePercent, 3)},
                    {"files", r.files},
                    {"achieved_percent", rounded(r.achievedPercent, 3)},
                    {"difference", rounded(r.achievedPercent - r.templatePercent, 3)}});
  }
  group["rows"] = std::move(rows);
  group["largest_difference"] = rounded(fit.largestDifference, 3);
  group["largest_row"] = fit.rows[fit.largestRow].threshold;
  return group;
}

Json breaksJson(const BreakFigures& breaks) {
  return {{"breaks", breaks.breaks},
          {"reversed_touching", breaks.reversedTouching},
          {"reversed_touching_share", rounded(breaks.reversedTouchingShare(), 5)},
          {"backward", breaks.backward},
          {"backward_share", rounded(breaks.backwardShare(), 5)},
          {"forward", breaks.forward},
          {"median_forward_blocks", breaks.medianForwardBlocks},
          {"median_backward_blocks", breaks.medianBackwardBlocks}};
}

Json fragmentationJson(const FileLayoutFigures& files, const ReadOrderFigures& order) {
  Json group = known(files.known, files.why);
  if (!files.known) return group;
  Json byExtents = Json::object();
  for (std::size_t k = 0; k < kExtentClasses; ++k) {
    byExtents[extentClassName(k)] = files.histogram[k];
  }
  group.update({{"files", files.files},
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
  if (order.known) {
    group.update({{"tree_order_score", rounded(order.treeOrder.score, 5)},
                  {"tree_order_blocks", order.treeOrder.blocks},
                  {"tree_order_following", order.treeOrder.following},
                  {"breaks", breaksJson(order.breaks)}});
  }
  return group;
}

Json readCostJson(const ReadCostFigures& cost) {
  Json group = {{"requested", cost.requested}};
  if (!cost.requested) return group;
  group.update(known(cost.known, cost.why));
  group["model"] = {{"seek_ms", DiskModel::kSeekMs},
                    {"seek_span_ms", DiskModel::kSeekSpanMs},
                    {"half_rotation_ms", DiskModel::kHalfRotationMs},
                    {"megabytes_per_second", DiskModel::kMegabytesPerSecond}};
  if (cost.known) {
    group.update({{"seconds", rounded(cost.seconds, 4)},
                  {"bytes", cost.bytes},
                  {"runs", cost.runs},
                  {"seeks", cost.seeks},
                  {"break_seeks", cost.breakSeeks}});
  }
  return group;
}

Json freeSpaceJson(const FreeSpaceFigures& free) {
  Json group = known(free.known, free.why);
  if (!free.known) return group;
  Json bySize = Json::array();
  const auto [first, last] = usedSizeClasses(free);
  for (std::size_t k = first; k <= last && k < free.histogram.size(); ++k) {
    bySize.push_back({{"from_bytes", std::uint64_t{1} << k},
                      {"below_bytes", std::uint64_t{2} << k},
                      {"extents", free.histogram[k]},
                      {"bytes", free.bytesByClass[k]}});
  }
  group.update({{"extents", free.extents},
                {"free_bytes", free.freeBytes},
                {"median_bytes", free.medianBytes},
                {"largest_bytes", free.largestBytes},
                {"extents_by_size", std::move(bySize)}});
  if (free.unallocatedKnown) group["unallocated_bytes"] = free.unallocatedBytes;
  return group;
}

Json probeJson(const ProbeFigures& probe) {
  Json group = {{"requested", probe.requested}};
  if (!probe.requested) return group;
  group.update(known(probe.known, probe.why));
  group["bytes"] = probe.bytes;
  if (probe.known) group["extents"] = probe.extents;
  return group;
}

}  // namespace

std::string measurementJson(const Measurement& m) {
  const Json json = {{"target", validUtf8(m.target)},
                     {"fill", fillJson(m.fill)},
                     {"fit", fitJson(m.fit)},
                     {"file_fragmentation", fragmentationJson(m.files, m.readOrder)},
                     {"read_cost", readCostJson(m.readOrder.readCost)},
                     {"free_space", freeSpaceJson(m.freeSpace)},
                     {"probe", probeJson(m.probe)}};
  // Names the file system holds in another encoding are not UTF-8: such bytes become U+FFFD,
  // so the document stays valid.
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace brimwell::measure
