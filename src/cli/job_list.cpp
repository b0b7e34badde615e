#include "cli/job_list.h"

#include "app/failure.h"
#include "cli/list_target.h"
#include "cli/message_text.h"

namespace brimwell::cli {

JobList::JobList(std::string path, bool rewrites) : path_(std::move(path)) {
  if (!path_.empty()) lock_ = std::make_unique<ListLock>(path_, rewrites);
}

void JobList::read(Session& session) {
  readFileList(path_, session.lists().files1, header_, nullptr);
}

void JobList::readInsideTarget(Session& session, bool targetGiven) {
  const std::optional<std::string> given =
      targetGiven ? std::optional(session.context().fields.text(EditField::reprodpath))
                  : std::nullopt;
  // The recorded target is known once the first line is read, before any entry.
  const EntryCheck check = [&](std::string_view entry) -> std::optional<std::string> {
    const std::optional<std::string>& target = header_.target ? header_.target : given;
    if (!target) return std::nullopt;
    return outsideTargetReason(entry, *target);
  };
  readFileList(path_, session.lists().files1, header_, check);
  if (header_.target && given && asTargetFolder(*header_.target) != *given) {
    throw Failure("The file list '" + path_ + "' records the target folder '" +
                  quotedCell(*header_.target) + "', and --target names another ('" +
                  quotedCell(*given) + "')");
  }
  if (!header_.target && !given && !session.lists().files1.empty()) {
    throw Failure("The file list '" + path_ +
                  "' does not record its target folder (a first line \"# target: DIR\"); "
                  "give --target DIR, the folder all its files lie in");
  }
  if (header_.target) session.fields().setText(EditField::reprodpath, *header_.target);
}

void JobList::write(Session& session) {
  if (path_.empty()) return;
  writeFileList(path_, session.lists().files1, header_, lock_.get());
}

}  // namespace brimwell::cli
