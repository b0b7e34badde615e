// A FileSystem that passes every request to a real one, except the ones told to fail:
// the n-th create, write, folder creation, listing, read, deletion or rename can be refused with a
// chosen Windows error number, and the n-th write can be made short. It counts every kind
// of request, so a test can first run a scenario clean to learn its failure points and
// then sweep through each of them. Everything else passes through (ForwardingFileSystem); a
// replacement (replaceFile) is made as a created file, so its writes can be refused and
// shortened like any other.
//
// Made `concurrent`, it allows listings on several threads at once (the census then reads
// ahead on its pool): every count is atomic, the listings made on threads other than the
// one that made it are counted apart and can be failed by their own count, and the most
// listings open at once is kept.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <map>
#include <thread>

#include "support/forwarding_file_system.h"

namespace brimwell::testing {

class FaultInjectingFileSystem : public ForwardingFileSystem {
 public:
  enum class Op { Create, Write, CreateFolder, List, Read, Delete, Rename, Count };

  explicit FaultInjectingFileSystem(FileSystem& real, bool concurrent = false)
      : ForwardingFileSystem(real), concurrent_(concurrent), owner_(std::this_thread::get_id()) {}

  // Refuses the n-th request (counted from 1) of `op` with `error`.
  void failNth(Op op, int n, int error) { failures_[{op, n}] = error; }
  // Makes the n-th write write only `bytes` bytes, successfully.
  void shortenNthWrite(int n, std::size_t bytes) { shortWrites_[n] = bytes; }
  // How many requests of `op` were made so far.
  int calls(Op op) const { return counts_[static_cast<std::size_t>(op)]; }

  // The n-th listing (counted from 1) made on another thread than the one that made this
  // file system is refused with `error`, or with `throws` fails by throwing IoFailure(error).
  void failNthHelperListing(int n, int error, bool throws) { helperFailures_[n] = {error, throws}; }
  // Listings made on other threads so far, and the most listings open at once.
  int helperListings() const { return helperListings_; }
  int mostOpenListings() const { return mostOpen_; }

  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes,
                                            int& error) override;
  int createFolder(const std::string& path) override;
  std::unique_ptr<WritableFile> createFile(const std::string& path, int& error) override;
  std::unique_ptr<WritableFile> replaceFile(const std::string& path, int& error) override {
    return createFile(path, error);
  }
  int readFile(const std::string& path, std::string& contents) override;
  int deleteFile(const std::string& path) override;
  int renameFile(const std::string& from, const std::string& to) override;
  bool allowsConcurrentListing() const override {
    return concurrent_ && real().allowsConcurrentListing();
  }

  // Used by the files and listings it hands out.
  int nextWrite(std::size_t& shortTo);
  void listingClosed() { --open_; }

 private:
  // Counts a request of `op`; returns the error to refuse it with, or 0.
  int count(Op op);

  const bool concurrent_;
  const std::thread::id owner_;
  // Set before a run, read during it.
  std::map<std::pair<Op, int>, int> failures_;
  std::map<int, std::pair<int, bool>> helperFailures_;
  std::map<int, std::size_t> shortWrites_;
  std::array<std::atomic<int>, static_cast<std::size_t>(Op::Count)> counts_{};
  std::atomic<int> helperListings_ = 0;
  std::atomic<int> open_ = 0;
  std::atomic<int> mostOpen_ = 0;
};

}  // namespace brimwell::testing
