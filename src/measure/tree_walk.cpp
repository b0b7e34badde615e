#include "measure/tree_walk.h"

#include <system_error>

#include "platform/path_style.h"
#include "walk/ordered_walk.h"

namespace brimwell::measure {
namespace {

// On this thread, for a file system that lists one folder at a time.
struct Walk {
  FileSystem& fs;
  char separator;
  walk::FileQuery& query;
  const std::function<void(std::uint64_t)>& onFile;
  walk::UnreadPaths& unread;
  std::int64_t folders = 0;

  // `folder` ends in a separator; it is extended for each entry and restored.
  void visit(std::string& folder, bool root) {
    int error = 0;
    const auto listing = fs.listFolder(folder, false, error);
    if (!listing) {
      if (root) {
        unread.addFolder(folder, error);
      } else {
        unread.addMetFolder(folder, error);
      }
      return;
    }
    const std::size_t length = folder.size();
    DirEntry entry;
    while (listing->next(entry)) {
      if (entry.name == "." || entry.name == "..") continue;
      folder.append(entry.name);
      if (!entry.isDirectory) {
        onFile(query.ask(folder, entry, 0));
      } else {
        ++folders;
        if (entry.isRepeatedDirectory) unread.addRepeatedFolder(folder);
        if (!entry.isForeignDirectory) {
          folder += separator;
          visit(folder, false);
        }
      }
      folder.resize(length);
    }
    unread.addFolder(folder, listing->error());
  }
};

}  // namespace

std::size_t walkThreads(const FileSystem& fs) {
  return fs.allowsConcurrentListing() ? walk::OrderedWalk::poolThreads() : 1;
}

std::optional<std::int64_t> walkFiles(FileSystem& fs, const std::string& root, char separator,
                                      walk::FileQuery& query, std::size_t threads,
                                      const std::function<void(std::uint64_t)>& onFile,
                                      walk::UnreadPaths& unread) {
  std::string folder = root;
  if (!PathStyle::endsWithSeparator(folder)) folder += separator;
  if (threads <= 1) {
    Walk sequential{fs, separator, query, onFile, unread};
    sequential.visit(folder, true);
    return sequential.folders;
  }
  walk::WalkOptions options;
  options.withSizes = false;  // the query reads each file's size as it opens the file
  options.query = &query;
  options.threads = threads;
  std::optional<walk::OrderedWalk> pool;
  try {
    pool.emplace(fs, std::move(folder), separator, options);
  } catch (const std::system_error&) {
    return std::nullopt;
  }
  std::int64_t folders = 0;
  for (walk::WalkEntry entry; pool->next(entry);) {
    switch (entry.kind) {
      case walk::WalkEntry::Kind::File:
        onFile(entry.answer);
        break;
      case walk::WalkEntry::Kind::Folder:
        ++folders;
        break;
      case walk::WalkEntry::Kind::SkippedFolder:
        if (entry.foreign) ++folders;  // counted, not entered
        break;
    }
  }
  unread.merge(pool->unread());
  return folders;
}

}  // namespace brimwell::measure
