// A FileSystem that passes every request to a real one, except the ones told to fail:
// the n-th create, write, folder creation, listing, read or deletion can be refused with a
// chosen Windows error number, and the n-th write can be made short. It counts every kind
// of request, so a test can first run a scenario clean to learn its failure points and
// then sweep through each of them. Confinement passes through; a replacement (replaceFile)
// is made as a created file, so its writes can be refused and shortened like any other.
#pragma once

#include <array>
#include <cstddef>
#include <map>

#include "platform/file_system.h"

namespace brimwell::testing {

class FaultInjectingFileSystem : public FileSystem {
 public:
  enum class Op { Create, Write, CreateFolder, List, Read, Delete, Count };

  explicit FaultInjectingFileSystem(FileSystem& real) : real_(real) {}

  // Refuses the n-th request (counted from 1) of `op` with `error`.
  void failNth(Op op, int n, int error) { failures_[{op, n}] = error; }
  // Makes the n-th write write only `bytes` bytes, successfully.
  void shortenNthWrite(int n, std::size_t bytes) { shortWrites_[n] = bytes; }
  // How many requests of `op` were made so far.
  int calls(Op op) const { return counts_[static_cast<std::size_t>(op)]; }

  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes) override;
  bool attributes(const std::string& path, PathAttributes& out) override;
  void confineTo(const std::optional<std::string>& target) override { real_.confineTo(target); }
  int createFolder(const std::string& path) override;
  std::unique_ptr<WritableFile> createFile(const std::string& path, int& error) override;
  int readFile(const std::string& path, std::string& contents) override;
  int deleteFile(const std::string& path) override;

  // Used by the files it hands out.
  int nextWrite(std::size_t& shortTo);

 private:
  // Counts a request of `op`; returns the error to refuse it with, or 0.
  int count(Op op);

  FileSystem& real_;
  std::map<std::pair<Op, int>, int> failures_;
  std::map<int, std::size_t> shortWrites_;
  std::array<int, static_cast<std::size_t>(Op::Count)> counts_{};
};

}  // namespace brimwell::testing
