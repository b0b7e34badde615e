// The tree the walk tests share, made once per suite: a folder of many files holding
// another, a hidden file and a hidden folder, empty folders, a link to a folder, and a chain
// of folders 70 deep with a file and a side folder holding a file at every level.
#pragma once

#include <cstddef>
#include <string>

#include "support/temp_dir.h"

namespace brimwell::testing {

struct WalkTree {
  std::size_t outerFiles = 2000;  // in t/a
  std::size_t innerFiles = 1500;  // in t/a/b
  // In t/d/.hidden-folder: as many subfolders with one file each, and files of its own.
  std::size_t hiddenSubfolders = 40;
  std::size_t hiddenFiles = 0;
  std::string deep = "t/deep";  // where the chain starts

  // Writes the tree into `dir`, under "t/" but for the chain.
  void writeInto(const TempDir& dir) const;
};

}  // namespace brimwell::testing
