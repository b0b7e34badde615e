// A fresh temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstddef>
#include <string>

namespace brimwell::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's path, without a trailing separator.
  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

  // Writes `contents` to the file `relative`, creating its folders.
  void writeFile(const std::string& relative, const std::string& contents) const;
  // Reads the file `relative` whole.
  std::string readFile(const std::string& relative) const;

 private:
  std::string path_;
};

// The regular files under `folder` whose path holds `part`, counted while a program may
// still be making folders there.
std::size_t regularFilesUnder(const std::string& folder, const std::string& part = "");
// Reads the file at `path` whole; empty when it cannot be read.
std::string readWholeFile(const std::string& path);

}  // namespace brimwell::testing
