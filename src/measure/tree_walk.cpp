#include "measure/tree_walk.h"

#include "platform/path_style.h"

namespace brimwell::measure {
namespace {

struct Walk {
  FileSystem& fs;
  char separator;
  const std::function<void(const std::string&)>& onFile;
  std::int64_t folders = 0;

  // `folder` ends in a separator; it is extended for each entry and restored.
  void visit(std::string& folder) {
    const auto listing = fs.listFolder(folder, false);
    if (!listing) return;
    const std::size_t length = folder.size();
    DirEntry entry;
    while (listing->next(entry)) {
      if (entry.name == "." || entry.name == "..") continue;
      folder.append(entry.name);
      if (!entry.isDirectory) {
        onFile(folder);
      } else {
        ++folders;
        if (!entry.isForeignDirectory) {
          folder += separator;
          visit(folder);
        }
      }
      folder.resize(length);
    }
  }
};

}  // namespace

std::int64_t walkFiles(FileSystem& fs, const std::string& root, char separator,
                       const std::function<void(const std::string&)>& onFile) {
  Walk walk{fs, separator, onFile};
  std::string folder = root;
  if (!PathStyle::endsWithSeparator(folder)) folder += separator;
  walk.visit(folder);
  return walk.folders;
}

}  // namespace brimwell::measure
