#include "cli/measure_report.h"

#include <cstdio>
#include <string_view>

#include "app/message_text.h"
#include "app/size_text.h"

namespace brimwell::cli {
namespace {

using measure::Measurement;

// As fixedDecimals(), with a plus sign before a value above zero.
std::string signedFixed(double value, int decimals) {
  const std::string text = fixedDecimals(value, decimals);
  const bool zero = text.find_first_not_of("0.") == std::string::npos;
  return zero || text.front() == '-' ? text : "+" + text;
}

std::string rightAligned(const std::string& text, std::size_t width) {
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

// What `df` shows as Use%: used against used plus what users other than root may still
// write, rounded up; it leaves out the blocks reserved for root (on Btrfs, the free space
// its metadata holds, which no file's data can take).
std::string dfComparison(const measure::FillFigures& fill) {
  const std::uint64_t reserved = fill.freeBytes - fill.availableBytes;
  const std::uint64_t counted = fill.usedBytes + fill.availableBytes;
  const std::uint64_t dfPercent = counted == 0 ? 0 : (fill.usedBytes * 100 + counted - 1) / counted;
  const std::string shown = "df shows " + std::to_string(dfPercent) + " %";
  if (fill.fileSystem == "btrfs") {
    return shown + ", leaving out the " + bytesWithUnit(reserved) +
           " Btrfs holds for metadata, not for file data";
  }
  if (reserved == 0) return shown + " (no blocks are reserved for root)";
  return shown + ", leaving out the " + bytesWithUnit(reserved) + " reserved for root";
}

// Why statvfs's free bytes and the free extents' total differ, in one line. Blocks set aside
// for files being written (ext4's preallocations) are free to statvfs but taken in the map;
// blocks a file system keeps for itself (XFS's reserve) are free in the map, not to statvfs.
std::string freeDifference(const measure::FillFigures& fill,
                           const measure::FreeSpaceFigures& free) {
  if (free.unallocatedKnown) return "inside the block groups that hold data";
  if (fill.freeBytes == free.freeBytes) return "as statvfs counts free";
  if (fill.freeBytes > free.freeBytes) {
    return bytesWithUnit(fill.freeBytes - free.freeBytes) +
           " less than statvfs's free: it counts blocks preallocated to files as free";
  }
  return bytesWithUnit(free.freeBytes - fill.freeBytes) +
         " more than statvfs's free: it leaves out the blocks the file system reserves";
}

// The files counted but left out of the extent figures, as " (...)", or "".
std::string filesLeftOut(const measure::FileLayoutFigures& files) {
  std::string parts;
  const auto add = [&parts](std::int64_t count, const char* what) {
    if (count == 0) return;
    parts += (parts.empty() ? " (" : ", ") + std::to_string(count) + what;
  };
  add(files.unreadable, " could not be opened");
  add(files.resident, " kept inside their file records");
  add(files.unplaced, " whose place the file system does not tell");
  return parts.empty() ? parts : parts + ")";
}

std::string unavailable(const std::string& why) {
  return "  unavailable: " + printableMessage(why) + "\n";
}

std::string line(const std::string& label, const std::string& value) {
  std::string text = "  " + label;
  if (text.size() < 22) text.resize(22, ' ');
  return text + value + "\n";
}

std::string fillSection(const measure::FillFigures& fill) {
  std::string text = "Fill\n";
  if (fill.known) {
    text += line("volume", bytesWithUnit(fill.volumeBytes) + ", blocks of " +
                               std::to_string(fill.blockSize) + " bytes");
    text += line("used",
                 bytesWithUnit(fill.usedBytes) + ", " + fixedDecimals(fill.usedPercent, 2) + " %");
    text += line("", dfComparison(fill));
    text += line("free", bytesWithUnit(fill.freeBytes) + " (statvfs)");
  } else {
    text += unavailable(fill.why);
  }
  return text + line("under the target", std::to_string(fill.files) + " files of " +
                                             totalWithUnit(fill.bytes) + " in " +
                                             std::to_string(fill.folders) + " folders");
}

std::string fitSection(const measure::FitFigures& fit) {
  std::string text =
      "Fit to the template (each row: from the previous threshold up to, not including, its "
      "own)\n";
  if (!fit.known) return text + unavailable(fit.why);
  text += "  threshold     template %  achieved %  difference\n";
  for (const auto& row : fit.rows) {
    std::string threshold = printableMessage(row.threshold);
    if (threshold.size() < 12) threshold.resize(12, ' ');
    text += "  " + threshold + " " + rightAligned(fixedDecimals(row.templatePercent, 2), 10) +
            "  " + rightAligned(fixedDecimals(row.achievedPercent, 2), 10) + "  " +
            rightAligned(signedFixed(row.achievedPercent - row.templatePercent, 2), 10) + "\n";
  }
  return text +
         line("largest difference", signedFixed(fit.largestDifference, 2) + " points (row " +
                                        printableMessage(fit.rows[fit.largestRow].threshold) + ")");
}

std::string percentText(double share) { return fixedDecimals(100.0 * share, 1) + " %"; }

// The tree-order score and the breaks of split files, below the per-file score.
std::string readOrderLines(const measure::ReadOrderFigures& order) {
  if (!order.known) return "";
  const auto& tree = order.treeOrder;
  std::string text = line("tree-order score", fixedDecimals(tree.score, 4) + " (" +
                                                  std::to_string(tree.following) + " of " +
                                                  std::to_string(tree.blocks) +
                                                  " blocks, read in walk order, follow the block "
                                                  "read before them)");
  const auto& breaks = order.breaks;
  if (breaks.breaks == 0) return text + line("breaks", "none: no file is split");
  const double forward = 1.0 - breaks.reversedTouchingShare() - breaks.backwardShare();
  text +=
      line("breaks", std::to_string(breaks.breaks) + " between pieces of a file: " +
                         percentText(breaks.reversedTouchingShare()) + " reversed and touching,");
  return text + line("", percentText(breaks.backwardShare()) + " backward (median " +
                             std::to_string(breaks.medianBackwardBlocks) + " blocks), " +
                             percentText(forward) + " forward (median " +
                             std::to_string(breaks.medianForwardBlocks) + " blocks)");
}

std::string fragmentationSection(const measure::FileLayoutFigures& files,
                                 const measure::ReadOrderFigures& order) {
  std::string text = "File fragmentation\n";
  if (!files.known) return text + unavailable(files.why);
  text += line("files measured", std::to_string(files.files) + filesLeftOut(files));
  text += line("fragmented", std::to_string(files.fragmented) + " files (" +
                                 fixedDecimals(files.fragmentedPercent(), 2) +
                                 " %) of more than one extent");
  text += line("extents", "mean " + fixedDecimals(files.meanExtents(), 3) + ", largest " +
                              std::to_string(files.largestExtents));
  std::string classes;
  for (std::size_t k = 0; k < measure::kExtentClasses; ++k) {
    if (files.histogram[k] == 0) continue;
    if (!classes.empty()) classes += ", ";
    classes += std::string(measure::extentClassName(k)) + ": " + std::to_string(files.histogram[k]);
  }
  text += line("files by extents", classes.empty() ? "no files" : classes);
  text +=
      line("layout score",
           fixedDecimals(files.layoutScore, 4) + " (" + std::to_string(files.contiguousBlocks) +
               " of " + std::to_string(files.layoutBlocks) + " blocks follow their predecessor)");
  return text + readOrderLines(order);
}

std::string readCostSection(const measure::ReadOrderFigures& order) {
  const auto& cost = order.readCost;
  std::string text = "Read time (a hard disk modelled reading every file in walk order)\n";
  if (!cost.known) return text + unavailable(cost.why);
  const std::int64_t breaks = order.breaks.breaks;
  text += line("modelled", fixedDecimals(cost.seconds, 3) + " s for " + bytesWithUnit(cost.bytes) +
                               " in " + std::to_string(cost.runs) + " runs, " +
                               std::to_string(cost.seeks) + " of them after a seek");
  text += line("breaks", std::to_string(cost.breakSeeks) + " of " + std::to_string(breaks) +
                             " breaks between pieces of a file cost a seek" +
                             (breaks == 0 ? ""
                                          : " (" +
                                                percentText(static_cast<double>(cost.breakSeeks) /
                                                            static_cast<double>(breaks)) +
                                                ")"));
  return text + line("model", measure::diskModelText());
}

std::string freeSpaceSection(const measure::FillFigures& fill,
                             const measure::FreeSpaceFigures& free) {
  std::string text = "Free space\n";
  if (!free.known) return text + unavailable(free.why);
  text += line("free extents", std::to_string(free.extents) + ", median " +
                                   bytesWithUnit(free.medianBytes) + ", largest " +
                                   bytesWithUnit(free.largestBytes));
  text += line("in all", bytesWithUnit(free.freeBytes) +
                             (fill.known ? ", " + freeDifference(fill, free) : ""));
  if (free.unallocatedKnown) {
    text += line("unallocated", bytesWithUnit(free.unallocatedBytes) +
                                    " of the device in no block group yet (data or metadata)");
  }
  const auto [first, last] = measure::usedSizeClasses(free);
  for (std::size_t k = first; k <= last && k < free.histogram.size(); ++k) {
    text += line(k == first ? "by size" : "", exactSize(std::uint64_t{1} << k) + " up to " +
                                                  exactSize(std::uint64_t{2} << k) + ": " +
                                                  std::to_string(free.histogram[k]));
  }
  return text;
}

std::string probeSection(const measure::ProbeFigures& probe) {
  std::string text = "Probe\n";
  if (!probe.known) return text + unavailable(probe.why);
  return text + line("new file", bytesWithUnit(probe.bytes) + " in " +
                                     std::to_string(probe.extents) + " extents (deleted again)");
}

}  // namespace

std::string measurementTable(const Measurement& m) {
  std::string text = "Measured " + printableMessage(m.target) + "\n\n" + fillSection(m.fill) +
                     "\n" + fitSection(m.fit) + "\n" + fragmentationSection(m.files, m.readOrder);
  if (m.readOrder.readCost.requested) text += "\n" + readCostSection(m.readOrder);
  text += "\n" + freeSpaceSection(m.fill, m.freeSpace);
  if (m.probe.requested) text += "\n" + probeSection(m.probe);
  return text;
}

}  // namespace brimwell::cli
