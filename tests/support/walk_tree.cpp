#include "support/walk_tree.h"

#include <filesystem>

namespace brimwell::testing {

void WalkTree::writeInto(const TempDir& dir) const {
  dir.writeFile("t/.hidden", std::string(7, 'h'));
  for (std::size_t i = 0; i < outerFiles; ++i) {
    dir.writeFile("t/a/f" + std::to_string(i), std::string(i % 400, 'x'));
  }
  for (std::size_t i = 0; i < innerFiles; ++i) {
    dir.writeFile("t/a/b/g" + std::to_string(i), std::string(i % 900, 'x'));
  }
  for (std::size_t i = 0; i < hiddenSubfolders; ++i) {
    dir.writeFile("t/d/.hidden-folder/s" + std::to_string(i) + "/h", std::string(i, 'x'));
  }
  for (std::size_t i = 0; i < hiddenFiles; ++i) {
    dir.writeFile("t/d/.hidden-folder/h" + std::to_string(i), std::string(i % 150, 'x'));
  }
  std::filesystem::create_directories(dir / "t/a/b/empty");
  std::filesystem::create_directories(dir / "t/empty");
  std::filesystem::create_directory_symlink(dir / "t/a", dir / "t/link");
  // At every level a file, a folder with a file and the folder going on, in whatever order
  // the file system lists them.
  std::string level = deep;
  for (std::size_t depth = 0; depth < 70; ++depth) {
    dir.writeFile(level + "/file", std::string(depth * 7, 'x'));
    dir.writeFile(level + "/side/file", std::string(depth * 13, 'x'));
    level += "/d";
  }
}

}  // namespace brimwell::testing
