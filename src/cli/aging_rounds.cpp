#include "cli/aging_rounds.h"

#include <cstdio>
#include <vector>

#include "aging/layout_writer.h"
#include "aging/list_layout.h"
#include "app/failure.h"
#include "census/size_template.h"
#include "cli/command_reports.h"
#include "cli/exit_codes.h"
#include "cli/fill_level.h"
#include "cli/job_list.h"
#include "cli/list_figures.h"
#include "cli/measure_report.h"
#include "diskops/fragmentation.h"
#include "diskops/writer.h"
#include "fileset/template_check.h"
#include "measure/file_layout.h"
#include "platform/volume_layout.h"

namespace brimwell::cli {
namespace {

void appendRows(const TextTable& from, TextTable& to) {
  to.reserve(to.rowCount() + from.rowCount(), 0);
  for (std::size_t row = 0; row < from.rowCount(); ++row) {
    const std::size_t added = to.addRow(from.caption(row));
    to.addSubCell(added, from.cellText(row, 1 + kSizeCell));
  }
}

// The entries of `all` that are not in `deleted`, a subsequence of it in the same order.
void keepUndeleted(const TextTable& all, const TextTable& deleted, TextTable& remaining) {
  remaining.clear();
  std::size_t next = 0;
  for (std::size_t row = 0; row < all.rowCount(); ++row) {
    if (next < deleted.rowCount() && all.caption(row) == deleted.caption(next)) {
      ++next;
      continue;
    }
    const std::size_t added = remaining.addRow(all.caption(row));
    remaining.addSubCell(added, all.cellText(row, 1 + kSizeCell));
  }
}

// The used share of the volume holding `target`, or a negative number when unknown. Read
// once the volume has settled: XFS counts blocks it may still give back as used.
double usedPercent(const std::string& target, VolumeSpace& space) {
  settleVolume(target);
  std::string why;
  if (!readVolumeSpace(target, space, why) || space.totalBytes == 0) return -1;
  return 100.0 * static_cast<double>(space.totalBytes - space.freeBytes) /
         static_cast<double>(space.totalBytes);
}

std::string fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// "layout score 0.7012 (asked 0.70), 17.21 % of files fragmented".
std::string layoutText(const measure::FileLayoutFigures& layout, std::optional<double> asked) {
  if (!layout.known) return "layout unavailable (" + layout.why + ")";
  return "layout score " + fixed(layout.layoutScore, 4) +
         (asked ? " (asked " + fixed(*asked, 2) + ")" : std::string()) + ", " +
         fixed(layout.fragmentedPercent(), 2) + " % of files fragmented";
}

std::string roundLine(int round, const TextTable& remaining, const std::string& target,
                      std::optional<double> asked, measure::FileLayoutFigures& layout) {
  const ListFigures figures = measureFileList(remaining, target);
  std::string text = "Round " + std::to_string(round) + ": " + std::to_string(figures.files) +
                     " files of " + bytesWithUnit(static_cast<std::uint64_t>(figures.bytes)) +
                     " on disk";
  VolumeSpace space;
  const double used = usedPercent(target, space);
  text += used < 0 ? std::string(", fill unknown") : ", volume " + fixed(used, 2) + " % used";
  std::vector<Extent> extents;
  std::string why;
  if (readFreeExtents(target, extents, why)) {
    text += ", " + std::to_string(extents.size()) + " free extents";
  } else {
    text += ", free extents unavailable (" + why + ")";
  }
  layout = aging::listLayout(remaining, space.blockSize);
  return text + ", " + layoutText(layout, asked) + "\n";
}

// "Aged: layout score 0.7012 (asked 0.70), 17.21 % of files fragmented; 1372 of 7993 files
// in more than one extent, 2.206 extents a file on average, 534 at most".
std::string summaryLine(const measure::FileLayoutFigures& layout, std::optional<double> asked) {
  std::string text = "Aged: " + layoutText(layout, asked);
  if (layout.known) {
    text += "; " + std::to_string(layout.fragmented) + " of " + std::to_string(layout.files) +
            " files in more than one extent, " + fixed(layout.meanExtents(), 3) +
            " extents a file on average, " + std::to_string(layout.largestExtents) + " at most";
  }
  return text + "\n";
}

void printOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

int runRounds(Session& session, const CliOptions& options) {
  Context& context = session.context();
  const std::string target = context.fields.text(EditField::reprodpath);
  const std::string note = unmappedDriveNote(target);
  if (!note.empty()) throw Failure(note);
  if (!options.listFile.empty()) checkFileListFolder(options.listFile);
  JobList list(options.listFile, true);
  list.setTarget(target);
  const std::string prefix = context.fields.text(EditField::id);

  session.seedRandom(options.seed);
  census::loadTemplateFile(context, options.templateFile);
  TextTable& files1 = session.lists().files1;
  TextTable remaining{2};
  TextTable all{2};
  double level = options.fill ? *options.fill : 0;
  measure::FileLayoutFigures layout;
  for (int round = 1; round <= options.rounds.value_or(1); ++round) {
    session.fields().setText(EditField::id,
                             round == 1 ? prefix : prefix + "r" + std::to_string(round) + "-");
    Outcome outcome = Outcome::Done;
    if (round == 1 && !options.fill) {
      outcome = fileset::buildChecked(context);
    } else {
      outcome = buildToFill(session, level);
    }
    if (outcome == Outcome::Done && options.layout) {
      const aging::LayoutAim aim = aging::layoutAim(*options.layout, remaining, target);
      // Only before anything is written; later rounds come as near as they can.
      if (round == 1) aging::checkLayoutReach(files1, aim, target);
      outcome = aging::reproduceToLayout(context, aim);
    } else if (outcome == Outcome::Done) {
      outcome = diskops::reproduce(context);
    }
    if (outcome != Outcome::Done) return exitCodeFor(outcome);
    // Without --fill, the later rounds refill to the level the first one reached.
    if (round == 1 && !options.fill) {
      VolumeSpace space;
      level = usedPercent(target, space);
    }

    all.clear();
    appendRows(remaining, all);
    appendRows(files1, all);
    files1.clear();
    appendRows(all, files1);
    outcome = diskops::sortOut(context);
    if (outcome != Outcome::Done) return exitCodeFor(outcome);
    const TextTable chosen = files1;
    const diskops::EraseResult erased = diskops::erase(context, diskops::EraseKeeps::Refused);
    if (erased.outcome != Outcome::Done) return exitCodeFor(erased.outcome);
    // The erase left the chosen files it could not delete in the list: they stay on disk.
    TextTable deleted{2};
    keepUndeleted(chosen, files1, deleted);
    keepUndeleted(all, deleted, remaining);
    const bool refused = files1.rowCount() > 0;
    const TextTable refusedEntries = files1;
    files1.clear();
    appendRows(remaining, files1);
    list.write(session);
    printOut(roundLine(round, remaining, target, options.layout, layout));
    if (refused) {
      files1.clear();
      appendRows(refusedEntries, files1);
      return reportRefusals(session, erased, "run");
    }
  }
  printOut(summaryLine(layout, options.layout));
  return kExitDone;
}

}  // namespace brimwell::cli
