#include "cli/commands.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "aging/fill_level.h"
#include "aging/list_figures.h"
#include "aging/volume_plan.h"
#include "app/failure.h"
#include "app/message_text.h"
#include "app/size_text.h"
#include "census/bundled_templates.h"
#include "census/census.h"
#include "census/size_template.h"
#include "cli/command_reports.h"
#include "cli/exit_codes.h"
#include "cli/measure_command.h"
#include "cli/run_command.h"
#include "cli/session.h"
#include "cli/template_numbers.h"
#include "cli/unread_report.h"
#include "diskops/fragmentation.h"
#include "diskops/writer.h"
#include "fileset/template_check.h"
#include "joblist/job_list.h"
#include "joblist/list_target.h"
#include "platform/bundled_template_folder.h"
#include "platform/stop_signals.h"

namespace brimwell::cli {
namespace {

void printOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

std::string plural(std::int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
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

// " The list L names every file written." after a failure of a job that keeps a list.
std::string listNamedText(const std::string& list) {
  return list.empty() ? "." : ". " + listNamesEveryFileText(list);
}

// The note to show when a failure may come from a path on a drive this system lacks.
std::string driveNoteForList(Session& session) {
  const TextTable& files1 = session.lists().files1;
  if (files1.empty()) return {};
  return unmappedDriveNote(std::string(files1.caption(0)));
}

// The `templates` command: each bundled template's name and description, then where they
// are.
int listTemplates(FileSystem& fs) {
  const std::string folder = bundledTemplateFolder();
  const std::vector<census::BundledTemplate> templates =
      folder.empty() ? std::vector<census::BundledTemplate>()
                     : census::listBundledTemplates(fs, folder);
  if (templates.empty()) {
    std::cerr << "No bundled templates were found"
              << (folder.empty() ? std::string() : " in " + folder) << ".\n";
    return kExitFailed;
  }
  std::size_t width = 0;
  for (const census::BundledTemplate& entry : templates) width = std::max(width, entry.name.size());
  for (const census::BundledTemplate& entry : templates) {
    std::cout << entry.name << std::string(width + 2 - entry.name.size(), ' ')
              << (entry.description.empty() ? "(no description)" : entry.description) << " ("
              << entry.sizeClasses << " size classes, " << entry.files << " files)\n";
  }
  std::cout << "in " << folder
            << "\nGive a name to --template, for example: brimwell-cli run --template "
            << templates.front().name << " --target /mnt/scratch/\n";
  return kExitDone;
}

int census(Session& session, const CliOptions& options) {
  Context& context = session.context();
  census::loadTemplateFile(context, options.templateFile);
  walk::UnreadPaths unread;
  const Outcome outcome = census::analyse(context, unread);
  if (outcome != Outcome::Done)
    return reportUnread(session, unread, "census", exitCodeFor(outcome));
  printOut(templateTableText(context.lists.sizes) + session.feedback().status() + "\n");
  if (!options.saveFile.empty()) census::saveTemplateFile(context, options.saveFile);
  return reportUnread(session, unread, "census", kExitDone);
}

// Loads the template and builds the file list; Done when the list is complete.
Outcome buildList(Session& session, const CliOptions& options) {
  Context& context = session.context();
  session.seedRandom(options.seed);
  loadTemplateForJob(context, options.templateFile);
  if (options.fill) return aging::buildToFill(context, session.fields(), *options.fill);
  return fileset::buildChecked(context);
}

int build(Session& session, const CliOptions& options) {
  joblist::checkFileListFolder(options.listFile);
  joblist::JobList list(options.listFile, true);
  list.takeOver(session.context(), session.context().fields.text(EditField::reprodpath), false);
  const Outcome outcome = buildList(session, options);
  if (outcome != Outcome::Done) return exitCodeFor(outcome);
  const std::string target = session.context().fields.text(EditField::reprodpath);
  list.setTarget(target);
  aging::ListFigureCounter counter(target);
  list.write(session.lists().files1, {.sink = &counter});
  const aging::ListFigures figures = counter.figures();
  printOut("Listed " + plural(figures.files, "file", "files") + " of " +
           totalWithUnit(figures.bytes) + " in all in " + options.listFile + "\n");
  const std::string note = unmappedDriveNote(target);
  if (!note.empty()) session.feedback().say("Note: " + note + ", before you reproduce the list.");
  return kExitDone;
}

// Reads the list of a command that writes or deletes files and makes its target the one
// the operation keeps to; says which folder that is.
void readListInsideTarget(Session& session, const CliOptions& options, joblist::JobList& list) {
  const std::string target =
      list.readInsideTarget(session.context(), options.target, options.allowRoot);
  session.fields().setText(EditField::reprodpath, target);
  session.feedback().say("Target: " + target);
}

int reproduce(Session& session, const CliOptions& options) {
  joblist::JobList list(options.listFile, false);
  readListInsideTarget(session, options, list);
  aging::checkPlanFits(session.context(), session.lists().files1,
                       session.context().fields.text(EditField::reprodpath));
  session.seedRandom(options.seed);
  return exitCodeFor(diskops::reproduce(session.context()));
}

int sortOut(Session& session, const CliOptions& options) {
  joblist::JobList list(options.listFile, true);
  list.read(session.context());
  if (list.target()) session.feedback().say("Target: " + joblist::asTargetFolder(*list.target()));
  session.seedRandom(options.seed);
  // The entries picked are left out as the list is written: one pass over the rows.
  std::vector<bool> removed;
  const Outcome outcome = diskops::sortOut(session.context(), &removed);
  if (outcome != Outcome::Done) return exitCodeFor(outcome);
  list.write(session.lists().files1, {.leaveOut = &removed});
  const auto kept = static_cast<std::int64_t>(std::count(removed.begin(), removed.end(), false));
  printOut("Kept " + plural(kept, "entry", "entries") + " to delete in " + options.listFile + "\n");
  return kExitDone;
}

int erase(Session& session, const CliOptions& options) {
  joblist::JobList list(options.listFile, true);
  readListInsideTarget(session, options, list);
  const diskops::EraseResult result =
      diskops::erase(session.context(), diskops::EraseKeeps::Refused);
  if (result.outcome != Outcome::Done) return exitCodeFor(result.outcome);
  const std::string deleted =
      "Deleted " + plural(result.erased, "file", "files") + couldNotDeleteText(result);
  try {
    list.write(session.lists().files1);
  } catch (const Failure& failure) {
    // The files are gone whether or not the list says so.
    printOut(deleted + "; the list " + options.listFile + " could not be rewritten and still " +
             "names them.\n");
    throw;
  }
  printOut(deleted + listAfterEraseText(options.listFile, result) + "\n");
  return reportRefusals(session, result, "erase");
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
      return listTemplates(session.context().fs);
    case Command::Measure:
      return measureCommand(session, options);
    case Command::Run:
      break;
  }
  return runJob(session, options);
}

}  // namespace

int runCommand(const CliOptions& options) {
#ifndef _WIN32
  // A closed output pipe (`... | head`) ends no command half way: writes to it just fail.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  // Ctrl-C stops a job after the file it is on, with its list true.
  catchStopSignals();
  const std::string command = commandName(options.command);
  std::optional<Session> started;
  try {
    started.emplace(options);
  } catch (const std::exception& failure) {
    std::cerr << "brimwell-cli: " << command
              << ": cannot start: " << errorBoxText(printableMessage(failure.what())) << "\n";
    return kExitFailed;
  }
  Session& session = *started;
  if (!options.templateNote.empty()) session.feedback().say(options.templateNote);
  try {
    return dispatch(session, options);
  } catch (const Failure& failure) {
    session.feedback().say(failureText(failure, commandName(options.command)));
    if (!session.listForMessages().empty()) {
      session.feedback().say(listNamesEveryFileText(session.listForMessages()));
    }
    if (options.command == Command::Reproduce) {
      const std::string note = driveNoteForList(session);
      if (!note.empty()) session.feedback().say(note + ".");
    }
    return kExitFailed;
  } catch (const std::bad_alloc&) {
    session.feedback().say("brimwell-cli: " + command + ": out of memory" +
                           listNamedText(session.listForMessages()));
    return kExitFailed;
  } catch (const std::exception& failure) {
    // What no operation expected (a library's own exception): said, never a crash.
    session.feedback().say("brimwell-cli: " + command + ": " +
                           errorBoxText(printableMessage(failure.what())) +
                           listNamedText(session.listForMessages()));
    return kExitFailed;
  }
}

}  // namespace brimwell::cli
