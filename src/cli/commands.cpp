#include "cli/commands.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "app/failure.h"
#include "census/census.h"
#include "census/size_template.h"
#include "cli/aging_rounds.h"
#include "cli/bundled_templates.h"
#include "cli/command_reports.h"
#include "cli/exit_codes.h"
#include "cli/fill_level.h"
#include "cli/job_list.h"
#include "cli/list_figures.h"
#include "cli/list_file.h"
#include "cli/measure_command.h"
#include "cli/session.h"
#include "diskops/fragmentation.h"
#include "diskops/writer.h"
#include "fileset/template_check.h"

namespace brimwell::cli {
namespace {

void printOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

std::string plural(std::int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "1234567 bytes (1.2 MiB)": the exact count, and its size at a glance.
std::string bytesText(std::int64_t bytes) {
  std::string text = plural(bytes, "byte", "bytes");
  constexpr std::array<const char*, 4> kUnits{"KiB", "MiB", "GiB", "TiB"};
  double scaled = static_cast<double>(bytes);
  std::size_t unit = 0;
  for (; scaled >= 1024.0 && unit < kUnits.size(); ++unit) scaled /= 1024.0;
  if (unit == 0) return text;
  char shown[32];
  std::snprintf(shown, sizeof shown, " (%.1f %s)", scaled, kUnits[unit - 1]);
  return text + shown;
}

// The template table as the window shows it (threshold, count, %, description), in
// columns as wide as their widest cell: the numbers right-aligned, the text left.
std::string templateTableText(const TextTable& sizes) {
  const std::size_t columns = sizes.columnCount();
  std::vector<std::size_t> widths(columns, 0);
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    for (std::size_t column = 0; column < columns; ++column) {
      widths[column] = std::max(widths[column], sizes.cellText(row, column).size());
    }
  }
  std::string text;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    std::string line;
    for (std::size_t column = 0; column < columns; ++column) {
      const std::string_view cell = sizes.cellText(row, column);
      const std::string padding(widths[column] - cell.size(), ' ');
      const bool number = column + 1 < columns;
      if (column > 0) line += "  ";
      line += number && column > 0 ? padding + std::string(cell) : std::string(cell) + padding;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + '\n';
  }
  return text;
}

// The note to show when a failure may come from a path on a drive this system lacks.
std::string driveNoteForList(Session& session) {
  const TextTable& files1 = session.lists().files1;
  if (files1.empty()) return {};
  return unmappedDriveNote(std::string(files1.caption(0)));
}

int census(Session& session, const CliOptions& options) {
  Context& context = session.context();
  census::loadTemplateFile(context, options.templateFile);
  const Outcome outcome = census::analyse(context);
  if (outcome != Outcome::Done) return exitCodeFor(outcome);
  printOut(templateTableText(context.lists.sizes) + session.feedback().status() + "\n");
  if (!options.saveFile.empty()) census::saveTemplateFile(context, options.saveFile);
  return kExitDone;
}

// Loads the template and builds the file list; Done when the list is complete.
Outcome buildList(Session& session, const CliOptions& options) {
  Context& context = session.context();
  session.seedRandom(options.seed);
  census::loadTemplateFile(context, options.templateFile);
  if (options.fill) return buildToFill(session, *options.fill);
  return fileset::buildChecked(context);
}

int build(Session& session, const CliOptions& options) {
  checkFileListFolder(options.listFile);
  JobList list(options.listFile, true);
  const Outcome outcome = buildList(session, options);
  if (outcome != Outcome::Done) return exitCodeFor(outcome);
  const std::string target = session.context().fields.text(EditField::reprodpath);
  list.setTarget(target);
  list.write(session);
  const ListFigures figures = measureFileList(session.lists().files1, target);
  printOut("Listed " + plural(figures.files, "file", "files") + " of " + bytesText(figures.bytes) +
           " in all in " + options.listFile + "\n");
  const std::string note = unmappedDriveNote(target);
  if (!note.empty()) session.feedback().say("Note: " + note + ", before you reproduce the list.");
  return kExitDone;
}

int reproduce(Session& session, const CliOptions& options) {
  JobList list(options.listFile, false);
  list.readInsideTarget(session, options.target.has_value());
  session.seedRandom(options.seed);
  return exitCodeFor(diskops::reproduce(session.context()));
}

int sortOut(Session& session, const CliOptions& options) {
  JobList list(options.listFile, true);
  list.read(session);
  session.seedRandom(options.seed);
  const Outcome outcome = diskops::sortOut(session.context());
  if (outcome != Outcome::Done) return exitCodeFor(outcome);
  list.write(session);
  printOut(
      "Kept " +
      plural(static_cast<std::int64_t>(session.lists().files1.rowCount()), "entry", "entries") +
      " to delete in " + options.listFile + "\n");
  return kExitDone;
}

int erase(Session& session, const CliOptions& options) {
  JobList list(options.listFile, true);
  list.readInsideTarget(session, options.target.has_value());
  const diskops::EraseResult result =
      diskops::erase(session.context(), diskops::EraseKeeps::Refused);
  if (result.outcome != Outcome::Done) return exitCodeFor(result.outcome);
  list.write(session);
  printOut("Deleted " + plural(result.erased, "file", "files") + couldNotDeleteText(result) +
           listAfterEraseText(options.listFile, result) + "\n");
  return reportRefusals(session, result, "erase");
}

int run(Session& session, const CliOptions& options) {
  const std::string target = session.context().fields.text(EditField::reprodpath);
  const std::string note = unmappedDriveNote(target);
  if (!note.empty()) throw Failure(note);
  if (!options.listFile.empty()) checkFileListFolder(options.listFile);
  JobList list(options.listFile, true);
  list.setTarget(target);

  Context& context = session.context();
  Outcome outcome = buildList(session, options);
  if (outcome != Outcome::Done) return exitCodeFor(outcome);
  const ListFigures figures = measureFileList(session.lists().files1, target);
  list.write(session);

  outcome = diskops::reproduce(context);
  if (outcome != Outcome::Done) return stoppedStep(session, outcome, "reproduce");
  printOut("Wrote " + plural(figures.files, "file", "files") + " of " + bytesText(figures.bytes) +
           " in all, in " + plural(figures.folders, "folder", "folders") + " under " + target +
           "\n");

  outcome = diskops::sortOut(context);
  if (outcome != Outcome::Done) return stoppedStep(session, outcome, "sort-out");
  list.write(session);
  const diskops::EraseResult erased = diskops::erase(context, diskops::EraseKeeps::Refused);
  if (erased.outcome != Outcome::Done) return stoppedStep(session, erased.outcome, "erase");
  list.write(session);
  printOut("Deleted " + std::to_string(erased.erased) + " of them, chosen at random (" +
           std::to_string(context.fields.value(SpinField::delprocent)) + " %)" +
           couldNotDeleteText(erased) + ", to leave gaps in the free space; " +
           plural(figures.files - erased.erased, "file", "files") + " remain.\n");
  return reportRefusals(session, erased, "run");
}

int dispatch(Session& session, const CliOptions& options) {
  switch (options.command) {
    case Command::Census:
      return census(session, options);
    case Command::Build:
      return build(session, options);
    case Command::Reproduce:
      return reproduce(session, options);
    case Command::SortOut:
      return sortOut(session, options);
    case Command::Erase:
      return erase(session, options);
    case Command::Templates:
      return listTemplates();
    case Command::Measure:
      return measureCommand(session, options);
    case Command::Run:
      break;
  }
  if (options.rounds > 1) return runRounds(session, options);
  return run(session, options);
}

}  // namespace

int runCommand(const CliOptions& options) {
#ifndef _WIN32
  // A closed output pipe (`... | head`) ends no command half way: writes to it just fail.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  Session session(options);
  try {
    return dispatch(session, options);
  } catch (const Failure& failure) {
    session.feedback().say(failureText(failure, commandName(options.command)));
    if (options.command == Command::Reproduce) {
      const std::string note = driveNoteForList(session);
      if (!note.empty()) session.feedback().say(note + ".");
    }
    return kExitFailed;
  } catch (const std::bad_alloc&) {
    session.feedback().say("Out of memory.");
    return kExitFailed;
  }
}

}  // namespace brimwell::cli
