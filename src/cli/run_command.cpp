#include "cli/run_command.h"

#include <cstdio>
#include <optional>

#include "aging/rounds.h"
#include "app/failure.h"
#include "app/size_text.h"
#include "cli/command_reports.h"
#include "cli/exit_codes.h"
#include "cli/template_numbers.h"
#include "joblist/list_target.h"
#include "measure/measurement.h"
#include "platform/path_style.h"

namespace brimwell::cli {
namespace {

std::string plural(std::int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

void printOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

// "(asked 0.70)"; "" when nothing was asked.
std::string askedText(std::optional<double> asked) {
  return asked ? " (asked " + fixedDecimals(*asked, 2) + ")" : std::string();
}

// "layout score 0.7012 (asked 0.70), 17.21 % of files fragmented (asked 16.90)".
std::string layoutText(const measure::FileLayoutFigures& layout, const aging::DriveProfile* like,
                       std::optional<double> asked) {
  if (!layout.known) return "layout unavailable (" + layout.why + ")";
  return "layout score " + fixedDecimals(layout.layoutScore, 4) + askedText(asked) + ", " +
         fixedDecimals(layout.fragmentedPercent(), 2) + " % of files fragmented" +
         askedText(like ? std::optional(like->fragmentedPercent) : std::nullopt);
}

// "Aged: layout score 0.7012 (asked 0.70), 17.21 % of files fragmented; 1372 of 7993 files
// in more than one extent, 2.206 extents a file on average, 534 at most".
std::string summaryLine(const measure::FileLayoutFigures& layout, const aging::DriveProfile* like,
                        std::optional<double> asked) {
  std::string text = "Aged: " + layoutText(layout, like, asked);
  if (layout.known) {
    text += "; " + std::to_string(layout.fragmented) + " of " + std::to_string(layout.files) +
            " files in more than one extent, " + fixedDecimals(layout.meanExtents(), 3) +
            " extents a file on average, " + std::to_string(layout.largestExtents) + " at most";
  }
  return text + "\n";
}

// A plain run prints what it wrote and deleted; rounds (asked for, or aging to a layout or
// like a profile) print a line of figures each and a summary of the layout at the end.
class RunPrinter : public aging::RoundsObserver {
 public:
  RunPrinter(const std::string& target, bool roundLines, const aging::RoundsPlan& plan, int percent)
      : target_(target),
        roundLines_(roundLines),
        like_(plan.like ? &*plan.like : nullptr),
        layout_(like_ ? std::optional(like_->layoutScore) : plan.layout),
        percent_(percent) {}

  void batchWritten(int, const aging::ListFigures& written) override {
    if (roundLines_) return;
    printOut("Wrote " + plural(written.files, "file", "files") + " of " +
             totalWithUnit(written.bytes) + " in all, in " +
             plural(written.folders, "folder", "folders") + " under " + target_ + "\n");
  }

  void roundDone(const aging::RoundFigures& figures) override {
    erased_ = figures.erased;
    last_ = figures;
    if (!roundLines_) {
      printOut("Deleted " + std::to_string(figures.erased.erased) + " of them, chosen at random (" +
               std::to_string(percent_) + " %)" + couldNotDeleteText(figures.erased) +
               ", to leave gaps in the free space; " +
               plural(figures.remaining.files, "file", "files") + " remain.\n");
      return;
    }
    std::string text =
        (figures.topUp ? "Top-up: " : "Round " + std::to_string(figures.round) + ": ") +
        std::to_string(figures.remaining.files) + " files of " +
        totalWithUnit(figures.remaining.bytes) + " on disk";
    if (figures.usedPercent) {
      text += ", volume " + fixedDecimals(*figures.usedPercent, 2) + " % used";
    } else {
      text += ", fill unknown";
    }
    text += figures.freeExtents ? ", " + std::to_string(*figures.freeExtents) + " free extents"
                                : ", free extents unavailable (" + figures.freeExtentsWhy + ")";
    printOut(text + ", " + layoutText(figures.layout, like_, layout_) + "\n");
  }

  // After the last round; `order`: what a reader of the target meets, when aging like a
  // profile.
  void finish(const measure::ReadOrderFigures* order) const {
    if (roundLines_) printOut(summaryLine(last_.layout, like_, layout_));
    if (like_ && order) {
      printOut(
          aging::likeSummary(*like_, last_.usedPercent, last_.layout, last_.freeSpace, *order));
    }
  }

  const diskops::EraseResult& erased() const { return erased_; }

 private:
  std::string target_;
  bool roundLines_;
  const aging::DriveProfile* like_;
  std::optional<double> layout_;
  int percent_;
  diskops::EraseResult erased_;
  aging::RoundFigures last_;
};

}  // namespace

std::string listBesideTarget(const std::string& target) {
  std::string folder = target;
  while (folder.size() > 1 && PathStyle::isSeparator(folder.back()) &&
         !joblist::isTreeRoot(folder)) {
    folder.pop_back();
  }
  return folder + (joblist::isTreeRoot(folder) ? "" : ".") + "brimwell-list.txt";
}

int runJob(Session& session, const CliOptions& options) {
  Context& context = session.context();
  // A profile that cannot be used is refused before the list is made.
  aging::RoundsPlan plan;
  if (!options.likeFile.empty()) plan.like = aging::readDriveProfile(options.likeFile);
  const std::string target = context.fields.text(EditField::reprodpath);
  const std::string note = unmappedDriveNote(target);
  if (!note.empty()) throw Failure(note);
  const std::string listPath =
      options.listFile.empty() ? listBesideTarget(target) : options.listFile;
  joblist::checkFileListFolder(listPath);
  // A list the user never named is never written through a link.
  joblist::JobList list(
      listPath, true, options.listFile.empty() ? LinkAtName::Refuse : LinkAtName::FollowProtected);
  list.takeOver(context, target, options.append);
  list.setTarget(target);
  session.keepListForMessages(listPath);
  session.feedback().say("Target: " + target);
  session.feedback().say("List: " + listPath);

  session.seedRandom(options.seed);
  loadTemplateForJob(context, options.templateFile);
  plan.rounds = options.rounds.value_or(1);
  plan.fill = options.fill;
  plan.layout = options.layout;
  plan.byUse = options.byUse;
  RunPrinter printer(target, options.rounds || options.layout || plan.like, plan,
                     context.fields.value(SpinField::delprocent));
  const aging::RoundsResult result =
      aging::ageInRounds(context, session.fields(), list, plan, printer);
  if (result.outcome != Outcome::Done) {
    return stoppedStep(session, result.outcome, aging::roundStepName(result.step), listPath);
  }
  std::optional<measure::ReadOrderFigures> order;
  if (plan.like) order = measure::measureReadOrder(target, context);
  printer.finish(order ? &*order : nullptr);
  return reportRefusals(session, printer.erased(), "run");
}

}  // namespace brimwell::cli
