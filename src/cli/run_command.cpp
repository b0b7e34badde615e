#include "cli/run_command.h"

#include <cstdio>

#include "aging/rounds.h"
#include "app/failure.h"
#include "cli/command_reports.h"
#include "cli/exit_codes.h"
#include "cli/measure_report.h"
#include "cli/template_numbers.h"
#include "joblist/list_target.h"
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

// One round prints what it wrote and deleted; several print a line of figures each.
class RunPrinter : public aging::RoundsObserver {
 public:
  RunPrinter(const std::string& target, int rounds, int percent)
      : target_(target), rounds_(rounds), percent_(percent) {}

  void batchWritten(int, const aging::ListFigures& written) override {
    if (rounds_ > 1) return;
    printOut("Wrote " + plural(written.files, "file", "files") + " of " +
             bytesWithUnit(static_cast<std::uint64_t>(written.bytes)) + " in all, in " +
             plural(written.folders, "folder", "folders") + " under " + target_ + "\n");
  }

  void roundDone(const aging::RoundFigures& figures) override {
    erased_ = figures.erased;
    if (rounds_ == 1) {
      printOut("Deleted " + std::to_string(figures.erased.erased) + " of them, chosen at random (" +
               std::to_string(percent_) + " %)" + couldNotDeleteText(figures.erased) +
               ", to leave gaps in the free space; " +
               plural(figures.remaining.files, "file", "files") + " remain.\n");
      return;
    }
    std::string text = "Round " + std::to_string(figures.round) + ": " +
                       std::to_string(figures.remaining.files) + " files of " +
                       bytesWithUnit(static_cast<std::uint64_t>(figures.remaining.bytes)) +
                       " on disk";
    if (figures.usedPercent) {
      char percent[32];
      std::snprintf(percent, sizeof percent, "%.2f", *figures.usedPercent);
      text += ", volume " + std::string(percent) + " % used";
    } else {
      text += ", fill unknown";
    }
    text += figures.freeExtents ? ", " + std::to_string(*figures.freeExtents) + " free extents"
                                : ", free extents unavailable (" + figures.freeExtentsWhy + ")";
    printOut(text + "\n");
  }

  const diskops::EraseResult& erased() const { return erased_; }

 private:
  std::string target_;
  int rounds_;
  int percent_;
  diskops::EraseResult erased_;
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
  const std::string target = context.fields.text(EditField::reprodpath);
  const std::string note = unmappedDriveNote(target);
  if (!note.empty()) throw Failure(note);
  const std::string listPath =
      options.listFile.empty() ? listBesideTarget(target) : options.listFile;
  joblist::checkFileListFolder(listPath);
  joblist::JobList list(listPath, true);
  list.setTarget(target);
  session.keepListForMessages(listPath);
  session.feedback().say("Target: " + target);
  session.feedback().say("List: " + listPath);

  session.seedRandom(options.seed);
  loadTemplateForJob(context, options.templateFile);
  aging::RoundsPlan plan;
  plan.rounds = options.rounds;
  if (options.fill) plan.fill = *options.fill;
  RunPrinter printer(target, options.rounds, context.fields.value(SpinField::delprocent));
  const aging::RoundsResult result =
      aging::ageInRounds(context, session.fields(), list, plan, printer);
  if (result.outcome != Outcome::Done) {
    return stoppedStep(session, result.outcome, aging::roundStepName(result.step), listPath);
  }
  return reportRefusals(session, printer.erased(), "run");
}

}  // namespace brimwell::cli
