// The file lists of the writer and erase benchmarks: a desktop-like set of files, kept as a
// text file of "relative path TAB size" lines in path order, and loaded into the file list
// under a root folder.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/text_table.h"

namespace brimwell::bench {

// `files` files over `folders` folders under five roots, up to three levels deep. Sizes:
// 30 % below 1 KiB, 30 % 1-8 KiB, 25 % 8-32 KiB, 12 % 32-128 KiB, 3 % 128-256 KiB, which
// averages about 22 KiB a file.
inline std::vector<std::pair<std::string, std::int64_t>> desktopLikeFiles(int files, int folders,
                                                                          unsigned seed) {
  std::mt19937 random(seed);
  const auto below = [&](std::int64_t n) {
    return std::uniform_int_distribution<std::int64_t>(0, n - 1)(random);
  };
  const char* roots[] = {"Windows emul", "Program Files emul", "Documents and Settings emul",
                         "My Downloads emul", "RECYCLED emul"};
  std::vector<std::string> folderPaths;
  for (int f = 0; f < folders; ++f) {
    std::string path = roots[below(5)];
    for (std::int64_t level = below(4); level > 0; --level) {
      path += '/';
      for (int c = 0; c < 8; ++c) path += static_cast<char>('a' + below(26));
    }
    folderPaths.push_back(path + '/');
  }
  const std::int64_t bounds[] = {0, 1024, 8192, 32768, 131072, 262144};
  const int shares[] = {30, 30, 25, 12, 3};
  std::vector<std::pair<std::string, std::int64_t>> list;
  for (int n = 1; n <= files; ++n) {
    std::int64_t pick = below(100);
    int row = 0;
    while (pick >= shares[row]) pick -= shares[row++];
    const std::int64_t size = bounds[row] + below(bounds[row + 1] - bounds[row]);
    std::string serial = std::to_string(n);
    serial.insert(0, 8 - serial.size(), '0');
    list.emplace_back(
        folderPaths[static_cast<std::size_t>(below(folders))] + "001-" + serial + ".DAT", size);
  }
  std::sort(list.begin(), list.end());
  return list;
}

inline void saveList(const std::string& file,
                     const std::vector<std::pair<std::string, std::int64_t>>& list) {
  std::ofstream out(file, std::ios::binary);
  for (const auto& [path, size] : list) out << path << '\t' << size << '\n';
  if (!out) throw std::runtime_error("cannot write " + file);
}

// Loads the list into `table`, each path prefixed with `root` and "/".
inline void loadList(const std::string& file, const std::string& root, TextTable& table) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file);
  table.clear();
  std::string line;
  std::string path;
  while (std::getline(in, line)) {
    const auto tab = line.find('\t');
    if (tab == std::string::npos) continue;
    path.assign(root).append("/").append(line, 0, tab);
    const std::size_t row = table.addRow(path);
    table.addSubCell(row, std::string_view(line).substr(tab + 1));
  }
}

}  // namespace brimwell::bench
