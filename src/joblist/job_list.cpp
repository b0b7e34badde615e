#include "joblist/job_list.h"

#include "app/failure.h"
#include "app/message_text.h"
#include "joblist/list_target.h"

namespace brimwell::joblist {

JobList::JobList(std::string path, bool rewrites) : path_(std::move(path)) {
  if (!path_.empty()) lock_ = std::make_unique<ListLock>(path_, rewrites);
}

void JobList::read(Context& context) {
  readFileList(path_, context.lists.files1, header_, nullptr);
}

std::string JobList::readInsideTarget(Context& context,
                                      const std::optional<std::string>& givenTarget,
                                      bool allowRoot) {
  // The recorded target is known once the first line is read, before any entry.
  std::optional<std::string> target;
  const EntryCheck check = [&](std::string_view entry) -> std::optional<std::string> {
    if (!target) {
      target = header_.target ? asTargetFolder(*header_.target) : givenTarget;
      if (target && target->empty())
        throw Failure("The file list '" + path_ + "' records an empty target folder");
    }
    return target ? outsideTargetReason(entry, *target) : std::nullopt;
  };
  readFileList(path_, context.lists.files1, header_, check);
  const std::optional<std::string> recorded =
      header_.target ? std::optional(asTargetFolder(*header_.target)) : std::nullopt;
  if (recorded && givenTarget && *recorded != *givenTarget) {
    throw Failure("The file list '" + path_ + "' records the target folder '" +
                  quotedCell(*header_.target) + "', and --target names another ('" +
                  quotedCell(*givenTarget) + "')");
  }
  if (!recorded && !givenTarget && !context.lists.files1.empty()) {
    throw Failure("The file list '" + path_ +
                  "' does not record its target folder (a first line \"# target: DIR\"); "
                  "give --target DIR, the folder all its files lie in");
  }
  if (!recorded) return givenTarget.value_or(std::string());
  header_.target = *recorded;
  if (const auto reason = refusedTargetReason(*recorded, allowRoot)) {
    throw Failure("The file list '" + path_ + "': " + *reason);
  }
  return *recorded;
}

void JobList::write(const TextTable& files1, const ListWriteOptions& options) {
  if (path_.empty()) return;
  writeFileList(path_, files1, header_, options);
}

}  // namespace brimwell::joblist
