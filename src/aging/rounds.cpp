#include "aging/rounds.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "aging/fill_level.h"
#include "aging/job_progress.h"
#include "aging/layout_writer.h"
#include "aging/list_layout.h"
#include "aging/use_writes.h"
#include "aging/used_model.h"
#include "aging/volume_plan.h"
#include "diskops/fragmentation.h"
#include "diskops/list_writing.h"
#include "diskops/removal_picker.h"
#include "diskops/writer.h"
#include "fileset/template_check.h"
#include "measure/file_layout.h"

namespace brimwell::aging {
namespace {

void appendRow(const TextTable& from, std::size_t row, TextTable& to) {
  const std::size_t added = to.addRow(from.caption(row));
  to.addSubCell(added, from.cellText(row, 1 + kSizeCell));
}

void appendRows(const TextTable& from, TextTable& to) {
  to.reserve(to.rowCount() + from.rowCount(), 0);
  for (std::size_t row = 0; row < from.rowCount(); ++row) appendRow(from, row, to);
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
    appendRow(all, row, remaining);
  }
}

// `others`: the joins of the files under the target the job did not write, which the score
// counts as measure does.
RoundFigures roundFigures(Volume& volume, int round, const TextTable& remaining,
                          const LayoutJoins& others, const std::string& target) {
  RoundFigures figures;
  figures.round = round;
  figures.remaining = measureFileList(remaining, target);
  // Read once the volume has settled: XFS counts blocks it may still give back as used.
  volume.settle(target);
  const VolumeSpace space = knownSpace(volume, target).value_or(VolumeSpace());
  figures.usedPercent = space.usedPercent();
  if (Expected<std::vector<Extent>> extents = volume.freeExtents(target)) {
    figures.freeExtents = static_cast<std::int64_t>(extents->size());
    figures.freeSpace = measure::freeSpaceFigures(std::move(*extents));
  } else {
    figures.freeExtentsWhy = extents.failure().explained();
  }
  figures.layout = listLayout(volume, remaining, space.blockSize);
  figures.layout.layoutBlocks += others.joins;
  figures.layout.contiguousBlocks += others.contiguous;
  figures.layout.layoutScore =
      measure::layoutScore(figures.layout.contiguousBlocks, figures.layout.layoutBlocks);
  return figures;
}

}  // namespace

const char* roundStepName(RoundStep step) {
  switch (step) {
    case RoundStep::Use:
      return "use";
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

namespace {

// Where every round's fill level comes from, decided once: a profile's, --fill's, or, with
// neither, the level the first round reached (a refill), learned once it is written.
struct RoundsLevel {
  std::optional<double> percent;  // nothing while a refill has not learned it, or without one
  LevelFrom from = LevelFrom::Refill;
};

RoundsLevel levelOf(const RoundsPlan& plan) {
  if (plan.like) return {plan.like->usedPercent, LevelFrom::Profile};
  if (plan.fill) return {plan.fill, LevelFrom::Option};
  return {};
}

// One run of the rounds: each round plans a batch (build), writes it, and thins what is on
// disk (sort-out and erase); a profile's job ends with a top-up batch, written and kept.
class RoundsJob {
 public:
  RoundsJob(Context& caller, FieldValues& fields, joblist::JobList& list, const RoundsPlan& plan,
            RoundsObserver& observer)
      : progress_(caller.feedback),
        context_{caller.lists, caller.fields,           progress_,
                 caller.fs,    caller.random,           caller.collation,
                 caller.style, caller.decimalSeparator, caller.volume},
        fields_(fields),
        list_(list),
        plan_(plan),
        observer_(observer),
        target_(context_.fields.text(EditField::reprodpath)),
        prefix_(context_.fields.text(EditField::id)),
        level_(levelOf(plan)),
        layout_(plan.like ? std::optional(plan.like->layoutScore) : plan.layout),
        batches_(plan.rounds + (plan.like ? 1 : 0)) {
    // Before anything is written: whether the layout can be steered there, the files already
    // there, and the volume later batches plan from.
    if (layout_) {
      checkExtentsReadable(context_, target_, plan.like ? "--like" : "--layout");
      alreadyThere_ = joinsUnder(target_, context_);
    }
    if (batches_ > 1) model_.emplace(context_, target_);
  }

  RoundsResult run() {
    for (int round = 1; round <= batches_; ++round) {
      const bool topUp = round > plan_.rounds;
      std::optional<PlannedSpace> spaceAfterUse;
      if (usedBy(round)) {
        if (const Outcome outcome = useFiles(round, spaceAfterUse); outcome != Outcome::Done) {
          return {outcome, RoundStep::Use, round};
        }
      }
      const std::optional<PlannedSpace> planned =
          spaceAfterUse ? spaceAfterUse : plannedSpace(round);
      if (topUp && model_->percentOf(planned->used) >= *level_.percent) break;  // nothing to top up
      if (const Outcome built = buildBatch(round, planned); built != Outcome::Done) {
        return {built, RoundStep::Build, round};
      }
      const ListFigures written = measureFileList(files1(), target_);
      if (const Outcome wrote = writeBatch(round, topUp); wrote != Outcome::Done) {
        return {wrote, RoundStep::Reproduce, round};
      }
      observer_.batchWritten(round, written);
      if (model_) model_->batchWritten(files1());
      if (topUp) {
        remaining_ = all_;
        reportRound(round, written, {}, true);
        break;
      }
      // A refill: the later rounds refill to the level the first one reached.
      if (round == 1 && !level_.percent && model_) {
        level_.percent = model_->percentOf(model_->usedBytes(files1()));
      }
      const RoundsResult thinned = thin(round, written);
      // Files the erase refused stay in the list for the caller to report.
      if (thinned.outcome != Outcome::Done || files1().rowCount() > 0) return thinned;
    }
    return {};
  }

 private:
  TextTable& files1() { return context_.lists.files1; }

  // The space a batch plans from: the first batch's as the volume reports it (none given),
  // later ones' from the model, so that the same seed gives the same batches. Read once a
  // batch: a top-up's check and its build agree. The model exists when there is a later batch.
  std::optional<PlannedSpace> plannedSpace(int round) {
    if (round == 1) return std::nullopt;
    return model_->plan(remaining_);
  }

  // Whether the round replaces, grows and moves files in: every round of use but the first,
  // which writes the files the later ones use.
  bool usedBy(int round) const { return plan_.byUse && round > 1; }

  // The share of a round's bar before its build: the use of the files on disk.
  double useShare(int round) const { return usedBy(round) ? 0.2 : 0; }

  // The staged names of a round's writes: "ID-staging/rK-use-N" and "ID-staging/rK-new-N".
  std::string stagingStem(int round, const char* kind) const {
    return target_ + prefix_ + "staging" + context_.style.separator() + "r" +
           std::to_string(round) + "-" + kind + "-";
  }

  // Replaces and grows a share of the files on disk; the list names their staged names
  // until the batch's list replaces it, and their new sizes from then on. `spaceAfter`: the
  // space once the files are grown, which the batch plans from: the model's reading before,
  // with one block an append more in use. Not read again: what the volume reports right after
  // replacements and appends (XFS: inodes still being freed) varies from run to run, and the
  // same seed would give another batch.
  Outcome useFiles(int round, std::optional<PlannedSpace>& spaceAfter) {
    stage(round, 0, useShare(round));
    const PlannedSpace before = model_->plan(remaining_);
    const std::uint64_t used = before.used;
    const std::uint64_t aim = level_.percent ? model_->bytesAt(*level_.percent) : 0;
    // Three quarters of the room below the level, the rest left to the batch.
    const std::uint64_t growRoom = aim > used ? (aim - used) / 4 * 3 : 0;
    const std::vector<UseWrite> writes =
        planUse(remaining_, blockBytes(), growRoom, context_.random);
    spaceAfter = before;
    for (const UseWrite& write : writes) {
      if (write.kind != UseWrite::Kind::Grow) continue;
      const auto grown = static_cast<std::uint64_t>(write.bytes);
      spaceAfter->used += grown;
      if (spaceAfter->dataAvailable) {
        *spaceAfter->dataAvailable -= std::min(*spaceAfter->dataAvailable, grown);
      }
    }
    const std::string stem = stagingStem(round, "use");
    TextTable listed{2};
    appendRows(remaining_, listed);
    addStagedNames(remaining_, writes, stem, listed);
    list_.write(listed);
    return writeInUse(context_, remaining_, writes, stem);
  }

  // The volume's block, which an append of use fills; 4 KiB when the volume does not tell.
  std::int32_t blockBytes() {
    const std::uint32_t blockSize =
        knownSpace(context_.volume, target_).value_or(VolumeSpace()).blockSize;
    if (blockSize == 0) return 4096;
    return static_cast<std::int32_t>(std::min<std::uint64_t>(blockSize, 1 << 20));
  }

  // Writes the batch into the staging folder and moves each file into place.
  Outcome moveBatchIn(int round) {
    const std::vector<UseWrite> writes = planMovesIn(files1(), context_.random);
    const std::string stem = stagingStem(round, "new");
    TextTable listed{2};
    appendRows(all_, listed);
    addStagedNames(files1(), writes, stem, listed);
    list_.write(listed);
    if (!diskops::confirmListTotal(context_)) return Outcome::Declined;
    return writeInUse(context_, files1(), writes, stem);
  }

  // The bar's stretch of each step in a batch: writing the batch takes most of the time.
  void stage(int round, double from, double to) {
    const double batchShare = 100.0 / batches_;
    const double start = batchShare * (round - 1);
    progress_.stretch(start + batchShare * from, start + batchShare * to);
  }

  // Plans the batch of `round` into the file list: to the level, or as the fields say.
  Outcome buildBatch(int round, std::optional<PlannedSpace> planned) {
    fields_.setText(EditField::id,
                    round == 1 ? prefix_ : prefix_ + "r" + std::to_string(round) + "-");
    stage(round, useShare(round), useShare(round) + 0.05);
    // Files to be cut need room for their extent records too (cutFilesMargin).
    const bool cut = layout_.has_value();
    const Outcome outcome =
        level_.percent ? buildToFill(context_, fields_, *level_.percent, level_.from, planned, cut)
                       : fileset::buildChecked(context_);
    if (outcome == Outcome::Done && !context_.feedback.carryOn()) return Outcome::Stopped;
    return outcome;
  }

  // Writes the batch; the batch must fit, and the list names it before its first file is made.
  Outcome writeBatch(int round, bool topUp) {
    checkPlanFits(context_, files1(), target_, layout_.has_value());
    all_.clear();
    appendRows(remaining_, all_);
    appendRows(files1(), all_);
    stage(round, useShare(round) + 0.05, topUp ? 1 : 0.85);
    if (usedBy(round)) return moveBatchIn(round);
    list_.write(all_);
    if (!layout_) return diskops::reproduce(context_);
    // A score asked for is aimed at what this round's erase leaves. A profile's batches aim
    // at every file: its last batch, which sets where the job ends, is not erased.
    const std::vector<bool> stays = plan_.like || topUp ? std::vector<bool>() : staysAfterErase();
    TextTable stayingOnDisk{2};
    for (std::size_t row = 0; row < stays.size() && row < remaining_.rowCount(); ++row) {
      if (stays[row]) appendRow(remaining_, row, stayingOnDisk);
    }
    LayoutAim aim =
        layoutAim(context_, *layout_, classShares(), stays.empty() ? remaining_ : stayingOnDisk,
                  othersAsWeighed(round, topUp, !stays.empty()), target_);
    if (!stays.empty()) {
      aim.stays.assign(stays.begin() + static_cast<std::ptrdiff_t>(remaining_.rowCount()),
                       stays.end());
    }
    // Only before anything is written, and only for a score asked for: later rounds, and a
    // profile's score, come as near as they can.
    if (round == 1 && !plan_.like) checkLayoutReach(files1(), aim, target_);
    return reproduceToLayout(context_, aim);
  }

  std::optional<ExtentClassShares> classShares() const {
    return plan_.like ? std::optional(extentClassShares(*plan_.like)) : std::nullopt;
  }

  // The rows of all_ this round's erase leaves on disk: the sort-out's picks, drawn from the
  // job's random source as writing the batch's bytes leaves it.
  std::vector<bool> staysAfterErase() {
    RandomSource ahead = context_.random;
    ahead.skip(diskops::ListWriting::drawsToWrite(files1()));
    const std::size_t count = all_.rowCount();
    return diskops::pickRemovals(
        count, diskops::sortOutRemovals(count, context_.fields.value(SpinField::delprocent)),
        ahead);
  }

  // The erases to come take their share of the job's files, never of the others, which then
  // weigh more in the score: the aim weighs them so from the start. `thisRoundKnown`: the aim
  // counts only what this round's erase leaves, so only the later rounds' erases are weighed.
  LayoutJoins othersAsWeighed(int round, bool topUp, bool thisRoundKnown) {
    const int erasesToCome = topUp ? 0 : plan_.rounds - round + (thisRoundKnown ? 0 : 1);
    const double kept =
        std::pow(1.0 - context_.fields.value(SpinField::delprocent) / 100.0, erasesToCome);
    if (kept <= 0) return alreadyThere_;
    return {std::llround(static_cast<double>(alreadyThere_.joins) / kept),
            std::llround(static_cast<double>(alreadyThere_.contiguous) / kept)};
  }

  // Sorts out a share of every file on disk and erases it; the list then names what remains.
  RoundsResult thin(int round, const ListFigures& written) {
    files1().clear();
    appendRows(all_, files1());
    stage(round, 0.85, 0.9);
    const Outcome sorted = diskops::sortOut(context_);
    if (sorted != Outcome::Done) return {sorted, RoundStep::SortOut, round};
    const TextTable chosen = files1();
    stage(round, 0.9, 1);
    const diskops::EraseResult erased = diskops::erase(context_, diskops::EraseKeeps::Refused);
    if (erased.outcome != Outcome::Done) return {erased.outcome, RoundStep::Erase, round};
    // The erase left the chosen files it could not delete in the list: they stay on disk.
    TextTable deleted{2};
    keepUndeleted(chosen, files1(), deleted);
    keepUndeleted(all_, deleted, remaining_);
    list_.write(remaining_);
    reportRound(round, written, erased, false);
    return {};
  }

  void reportRound(int round, const ListFigures& written, const diskops::EraseResult& erased,
                   bool topUp) {
    RoundFigures figures = roundFigures(context_.volume, round, remaining_, alreadyThere_, target_);
    figures.written = written;
    figures.erased = erased;
    figures.topUp = topUp;
    observer_.roundDone(figures);
  }

  JobProgress progress_;
  Context context_;
  FieldValues& fields_;
  joblist::JobList& list_;
  const RoundsPlan& plan_;
  RoundsObserver& observer_;
  const std::string target_;
  const std::string prefix_;
  RoundsLevel level_;
  const std::optional<double> layout_;  // the layout score the files are written to; else whole
  const int batches_;
  LayoutJoins alreadyThere_;        // under the target before the job, which the score counts
  std::optional<UsedModel> model_;  // what later batches plan from
  TextTable remaining_{2};          // the job's files on disk
  TextTable all_{2};                // those and the batch being written
};

}  // namespace

RoundsResult ageInRounds(Context& context, FieldValues& fields, joblist::JobList& list,
                         const RoundsPlan& plan, RoundsObserver& observer) {
  return RoundsJob(context, fields, list, plan, observer).run();
}

}  // namespace brimwell::aging
