#include "cli/command_reports.h"

#include <string_view>

#include "app/message_text.h"
#include "cli/exit_codes.h"
#include "diskops/file_failure.h"
#include "platform/windows_errors.h"

namespace brimwell::cli {
namespace {

constexpr std::size_t kPathsShown = 3;

std::string count(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "'CELL' is not a valid integer value" with CELL cut and escaped.
std::string shownMessage(std::string_view message) {
  constexpr std::string_view kInvalid = "' is not a valid integer value";
  if (message.size() > kInvalid.size() + 1 && message.front() == '\'' &&
      message.substr(message.size() - kInvalid.size()) == kInvalid) {
    const std::string_view cell = message.substr(1, message.size() - 1 - kInvalid.size());
    return "'" + quotedCell(cell) + std::string(kInvalid);
  }
  return printableMessage(message);
}

}  // namespace

std::string couldNotDeleteText(const diskops::EraseResult& result) {
  if (result.failed == 0) return {};
  std::string text =
      "; " + count(result.failed, "listed file", "listed files") + " could not be deleted";
  if (result.missing != 0) text += " (" + std::to_string(result.missing) + " already missing)";
  return text;
}

std::string listAfterEraseText(const std::string& listPath, const diskops::EraseResult& result) {
  const std::int64_t refused = result.failed - result.missing;
  if (refused == 0) return "; the list " + listPath + " is now empty.";
  return "; the list " + listPath + " keeps the " + count(refused, "file", "files") +
         " that exist and were refused, for a retry.";
}

int reportRefusals(Session& session, const diskops::EraseResult& result, const char* command) {
  const std::int64_t refused = result.failed - result.missing;
  if (refused == 0) return kExitDone;
  const TextTable& kept = session.lists().files1;
  std::string paths;
  for (std::size_t row = 0; row < kept.rowCount() && row < kPathsShown; ++row) {
    paths += (row == 0 ? "" : ", ") + quotedCell(kept.caption(row));
  }
  if (kept.rowCount() > kPathsShown) paths += ", ...";
  session.feedback().say(
      "brimwell-cli: " + std::string(command) + ": " +
      count(refused, "listed file exists and was", "listed files exist and were") +
      " not deleted: " + paths + ".");
  return kExitFailed;
}

std::string listNamesEveryFileText(const std::string& listPath) {
  return "The list " + listPath + " names every file written; 'brimwell-cli erase --list " +
         listPath + "' removes them.";
}

int stoppedStep(Session& session, Outcome outcome, const char* step, const std::string& listPath) {
  // A write error has said so in its own notice.
  const std::string how = outcome == Outcome::Failed ? "failed" : "stopped";
  session.feedback().say("brimwell-cli: run: " + how + " at the " + std::string(step) + " step. " +
                         listNamesEveryFileText(listPath));
  return exitCodeFor(outcome);
}

std::string failureText(const Failure& failure, const char* command) {
  std::string text = errorBoxText(shownMessage(failure.explained()));
  if (const auto* folder = dynamic_cast<const diskops::FolderIoFailure*>(&failure)) {
    const std::string reason =
        folder->folderCode() == winerr::kAlreadyExists
            ? "a file of that name is in its place."
            : errorBoxText(folder->folderWhy() ? systemErrorText(*folder->folderWhy())
                                               : ioErrorMessage(folder->folderCode()));
    return "brimwell-cli: " + std::string(command) + ": the folder '" +
           quotedCell(folder->folder()) + "' cannot be made: " + reason;
  }
  if (const auto* about = dynamic_cast<const diskops::AboutFile*>(&failure)) {
    text = "brimwell-cli: " + std::string(command) + ": " + quotedCell(about->file()) + ": " + text;
  }
  return text;
}

}  // namespace brimwell::cli
