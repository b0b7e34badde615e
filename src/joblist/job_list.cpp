#include "joblist/job_list.h"

#include "app/failure.h"
#include "app/message_text.h"
#include "joblist/list_target.h"
#include "platform/path_style.h"
#include "platform/whole_file.h"

namespace brimwell::joblist {

JobList::JobList(std::string path, bool rewrites, LinkAtName links)
    : path_(std::move(path)), links_(links) {
  if (!path_.empty()) lock_ = std::make_unique<ListLock>(path_, rewrites, links_);
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

void JobList::takeOver(Context& context, const std::string& target, bool append) {
  if (path_.empty() || fileKind(path_) != FileKind::Regular) return;
  auto old = std::make_unique<TextTable>(context.lists.files1.columnCount());
  ListHeader header;
  readFileList(path_, *old, header, nullptr);
  std::vector<bool> gone(old->rowCount(), true);
  std::size_t onDisk = 0;
  // A folder found missing holds none of the files after it in the list (which keeps a
  // folder's files together), so they are not asked for one by one.
  const PathStyle style = PathStyle::native();
  std::string missingFolder;
  for (std::size_t row = 0; row < old->rowCount(); ++row) {
    const std::string_view path = old->caption(row);
    const std::string_view folder = style.folderPartOf(path);
    if (!missingFolder.empty() && folder == missingFolder) continue;
    PathAttributes attributes;
    gone[row] = !context.fs.attributes(std::string(path), attributes) || attributes.isDirectory;
    if (gone[row] && !folder.empty() && !context.fs.attributes(std::string(folder), attributes)) {
      missingFolder = folder;
    }
    onDisk += gone[row] ? 0 : 1;
  }
  if (onDisk == 0) return;
  const std::string counted = "The file list '" + path_ + "' still names " +
                              std::to_string(onDisk) + " of its " +
                              std::to_string(old->rowCount()) + " files, which are on disk";
  if (!append) {
    throw Failure(counted +
                  "; a new list in its place would leave them named by no list. Delete them "
                  "first with 'brimwell-cli erase --list " +
                  path_ + " --yes', add this job's files to them with --append, or give the " +
                  "new job another --list");
  }
  if (header.target && asTargetFolder(*header.target) != asTargetFolder(target)) {
    throw Failure(counted + " under the target folder '" + quotedCell(*header.target) +
                  "'; --append adds only files of the same target");
  }
  old->removeRows(gone);
  kept_ = std::move(old);
}

void JobList::write(const TextTable& files1, ListWriteOptions options) {
  if (path_.empty()) return;
  // The entries kept with --append come first, streamed from their own table.
  options.first = kept_.get();
  options.links = links_;
  writeFileList(path_, files1, header_, options);
}

}  // namespace brimwell::joblist
