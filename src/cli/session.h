// One run of a command: the lists, fields, feedback, file system and random source that
// the window would hold, put together as the Context the operations take.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/context.h"
#include "cli/command_line.h"
#include "cli/terminal_feedback.h"

namespace brimwell::cli {

class Session {
 public:
  // Feedback goes to stderr; questions are answered by --yes, by the user when stdin is a
  // terminal, and declined otherwise. The fields start at the window's defaults, with
  // every option that was given put in.
  explicit Session(const CliOptions& options);

  Context& context() { return context_; }
  Workspace& lists() { return lists_; }
  FieldValues& fields() { return fields_; }
  TerminalFeedback& feedback() { return feedback_; }

  // Sets the random source's state to `seed`, or takes one from the clock and prints it
  // as "seed: S" so the run can be repeated.
  void seedRandom(std::optional<std::uint32_t> seed);

  // The list a job keeps, named again in every failure message; empty when none.
  void keepListForMessages(std::string path) { listForMessages_ = std::move(path); }
  const std::string& listForMessages() const { return listForMessages_; }

 private:
  std::string listForMessages_;
  Workspace lists_;
  FieldValues fields_;
  TerminalFeedback feedback_;
  std::unique_ptr<FileSystem> fs_;
  RandomSource random_;
  std::unique_ptr<Collation> collation_;
  Context context_;
};

// The text that explains why `path` cannot be reached when it starts with a drive letter
// and this system has no drives (a POSIX system maps only c:, to /); empty otherwise.
std::string unmappedDriveNote(const std::string& path);

}  // namespace brimwell::cli
