#include "aging/rounds.h"

#include <cmath>
#include <utility>

#include "aging/fill_level.h"
#include "aging/job_progress.h"
#include "aging/layout_writer.h"
#include "aging/list_layout.h"
#include "aging/used_model.h"
#include "aging/volume_plan.h"
#include "diskops/writer.h"
#include "fileset/template_check.h"
#include "measure/file_layout.h"
#include "platform/volume_layout.h"

namespace brimwell::aging {
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

// The used share of the volume holding `target`; nothing when unknown. Read once the volume
// has settled: XFS counts blocks it may still give back as used.
std::optional<double> usedPercent(const std::string& target, VolumeSpace& space) {
  settleVolume(target);
  std::string why;
  if (!readVolumeSpace(target, space, why) || space.totalBytes == 0) return std::nullopt;
  return 100.0 * static_cast<double>(space.totalBytes - space.freeBytes) /
         static_cast<double>(space.totalBytes);
}

// `others`: the joins of the files under the target the job did not write, which the score
// counts as measure does.
RoundFigures roundFigures(int round, const TextTable& remaining, const LayoutJoins& others,
                          const std::string& target) {
  RoundFigures figures;
  figures.round = round;
  figures.remaining = measureFileList(remaining, target);
  VolumeSpace space;
  figures.usedPercent = usedPercent(target, space);
  std::vector<Extent> extents;
  if (readFreeExtents(target, extents, figures.freeExtentsWhy)) {
    figures.freeExtents = static_cast<std::int64_t>(extents.size());
    figures.freeSpace = measure::freeSpaceFigures(std::move(extents));
  }
  figures.layout = listLayout(remaining, space.blockSize);
  figures.layout.layoutBlocks += others.joins;
  figures.layout.contiguousBlocks += others.contiguous;
  figures.layout.layoutScore =
      LayoutJoins{figures.layout.layoutBlocks, figures.layout.contiguousBlocks}.score();
  return figures;
}

}  // namespace

const char* roundStepName(RoundStep step) {
  switch (step) {
    case RoundStep::Build:
      return "build";
    case RoundStep::Reproduce:
      return "reproduce";
    case RoundStep::SortOut:
      return "sort-out";
    case RoundStep::Erase:
      break;
  }
  return "erase";
}

RoundsResult ageInRounds(Context& caller, FieldValues& fields, joblist::JobList& list,
                         const RoundsPlan& plan, RoundsObserver& observer) {
  JobProgress progress(caller.feedback);
  Context context{caller.lists,  caller.fields,    progress,     caller.fs,
                  caller.random, caller.collation, caller.style, caller.decimalSeparator};
  const std::string target = context.fields.text(EditField::reprodpath);
  const std::string prefix = context.fields.text(EditField::id);
  TextTable& files1 = context.lists.files1;
  TextTable remaining{2};
  TextTable all{2};
  const DriveProfile* like = plan.like ? &*plan.like : nullptr;
  std::optional<double> level = like ? std::optional(like->usedPercent) : plan.fill;
  const std::optional<double> layout = like ? std::optional(like->layoutScore) : plan.layout;
  const std::optional<ExtentClassShares> classShares =
      like ? std::optional(extentClassShares(*like)) : std::nullopt;
  const auto stopped = [](Outcome outcome, RoundStep step, int round) {
    return RoundsResult{outcome, step, round};
  };
  // Aging like a profile ends with a top-up batch, which nothing erases.
  const int batches = plan.rounds + (like ? 1 : 0);
  // The bar's stretch of each step in a batch: writing the batch takes most of the time.
  const double batchShare = 100.0 / batches;
  const auto stage = [&](int round, double from, double to) {
    const double start = batchShare * (round - 1);
    progress.stretch(start + batchShare * from, start + batchShare * to);
  };
  if (layout) checkExtentsReadable(target, like ? "--like" : "--layout");
  // What later batches plan from: the volume is read before anything is written.
  std::optional<UsedModel> model;
  const LayoutJoins alreadyThere = layout ? joinsUnder(target, context) : LayoutJoins{};
  if (batches > 1) model.emplace(target);
  for (int round = 1; round <= batches; ++round) {
    const bool topUp = round > plan.rounds;
    // The first round plans from the volume as it is; later ones from the model, so that the
    // same seed gives the same batches. Read once: the top-up's check and its build agree.
    const auto used = round == 1 ? std::nullopt : std::optional(model->usedBytes(remaining));
    if (topUp && model->percentOf(*used) >= *level) break;  // nothing to top up
    fields.setText(EditField::id, round == 1 ? prefix : prefix + "r" + std::to_string(round) + "-");
    Outcome outcome = Outcome::Done;
    stage(round, 0, 0.05);
    if (level) {
      outcome = buildToFill(context, fields, *level,
                            like        ? LevelFrom::Profile
                            : plan.fill ? LevelFrom::Option
                                        : LevelFrom::Refill,
                            used, layout.has_value());
    } else {
      outcome = fileset::buildChecked(context);
    }
    if (outcome == Outcome::Done && !context.feedback.carryOn()) outcome = Outcome::Stopped;
    if (outcome != Outcome::Done) return stopped(outcome, RoundStep::Build, round);
    const ListFigures written = measureFileList(files1, target);

    // The batch must fit, and the list names it before its first file is made.
    checkPlanFits(files1, target, layout.has_value());
    all.clear();
    appendRows(remaining, all);
    appendRows(files1, all);
    list.write(all);
    stage(round, 0.05, topUp ? 1 : 0.85);
    if (layout) {
      // The erases to come take their share of the job's files, never of the others, which
      // then weigh more in the score: the aim weighs them so from the start.
      const double kept = std::pow(1.0 - context.fields.value(SpinField::delprocent) / 100.0,
                                   topUp ? 0 : plan.rounds - round + 1);
      const LayoutJoins others =
          kept <= 0
              ? alreadyThere
              : LayoutJoins{std::llround(static_cast<double>(alreadyThere.joins) / kept),
                            std::llround(static_cast<double>(alreadyThere.contiguous) / kept)};
      const LayoutAim aim = layoutAim(*layout, classShares, remaining, others, target);
      // Only before anything is written, and only for a score asked for: later rounds, and
      // a profile's score, come as near as they can.
      if (round == 1 && !like) checkLayoutReach(files1, aim, target);
      outcome = reproduceToLayout(context, aim);
    } else {
      outcome = diskops::reproduce(context);
    }
    if (outcome != Outcome::Done) return stopped(outcome, RoundStep::Reproduce, round);
    observer.batchWritten(round, written);
    if (model) model->batchWritten(files1);
    if (topUp) {
      remaining = all;
      RoundFigures figures = roundFigures(round, remaining, alreadyThere, target);
      figures.written = written;
      figures.topUp = true;
      observer.roundDone(figures);
      break;
    }
    // Without --fill, the later rounds refill to the level the first one reached.
    if (round == 1 && !level && model) level = model->usedPercent(files1);

    files1.clear();
    appendRows(all, files1);
    stage(round, 0.85, 0.9);
    outcome = diskops::sortOut(context);
    if (outcome != Outcome::Done) return stopped(outcome, RoundStep::SortOut, round);
    const TextTable chosen = files1;
    stage(round, 0.9, 1);
    const diskops::EraseResult erased = diskops::erase(context, diskops::EraseKeeps::Refused);
    if (erased.outcome != Outcome::Done) return stopped(erased.outcome, RoundStep::Erase, round);
    // The erase left the chosen files it could not delete in the list: they stay on disk.
    TextTable deleted{2};
    keepUndeleted(chosen, files1, deleted);
    keepUndeleted(all, deleted, remaining);
    list.write(remaining);
    RoundFigures figures = roundFigures(round, remaining, alreadyThere, target);
    figures.written = written;
    figures.erased = erased;
    observer.roundDone(figures);
    if (files1.rowCount() > 0) return {};  // refused files: the caller reports them
  }
  return {};
}

}  // namespace brimwell::aging
