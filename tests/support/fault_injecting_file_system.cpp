#include "support/fault_injecting_file_system.h"

#include <algorithm>
#include <limits>

#include "app/failure.h"

namespace brimwell::testing {
namespace {

class FaultInjectingFile : public ForwardingFile {
 public:
  FaultInjectingFile(std::unique_ptr<WritableFile> real, FaultInjectingFileSystem& fs)
      : ForwardingFile(std::move(real)), fs_(fs) {}

  int write(const void* data, std::size_t size, std::size_t& written) override {
    std::size_t shortTo = std::numeric_limits<std::size_t>::max();
    if (const int error = fs_.nextWrite(shortTo); error != 0) {
      written = 0;
      return error;
    }
    return ForwardingFile::write(data, std::min(size, shortTo), written);
  }

 private:
  FaultInjectingFileSystem& fs_;
};

class FaultInjectingListing : public ForwardingListing {
 public:
  FaultInjectingListing(std::unique_ptr<FolderListing> real, FaultInjectingFileSystem& fs)
      : ForwardingListing(std::move(real)), fs_(fs) {}
  ~FaultInjectingListing() override { fs_.listingClosed(); }

 private:
  FaultInjectingFileSystem& fs_;
};

}  // namespace

int FaultInjectingFileSystem::count(Op op) {
  const int n = ++counts_[static_cast<std::size_t>(op)];
  const auto failure = failures_.find({op, n});
  return failure == failures_.end() ? 0 : failure->second;
}

int FaultInjectingFileSystem::nextWrite(std::size_t& shortTo) {
  const int error = count(Op::Write);
  const auto shortened = shortWrites_.find(calls(Op::Write));
  if (shortened != shortWrites_.end()) shortTo = shortened->second;
  return error;
}

std::unique_ptr<FolderListing> FaultInjectingFileSystem::listFolder(const std::string& path,
                                                                    bool withSizes, int& error) {
  if (error = count(Op::List); error != 0) return nullptr;
  if (std::this_thread::get_id() != owner_) {
    const auto failure = helperFailures_.find(++helperListings_);
    if (failure != helperFailures_.end()) {
      if (failure->second.second) throw IoFailure(failure->second.first);
      error = failure->second.first;
      return nullptr;
    }
  }
  auto listing = real().listFolder(path, withSizes, error);
  if (!listing) return nullptr;
  const int open = ++open_;
  for (int most = mostOpen_; open > most && !mostOpen_.compare_exchange_weak(most, open);) {
  }
  return std::make_unique<FaultInjectingListing>(std::move(listing), *this);
}

int FaultInjectingFileSystem::createFolder(const std::string& path) {
  if (const int error = count(Op::CreateFolder); error != 0) return error;
  return real().createFolder(path);
}

std::unique_ptr<WritableFile> FaultInjectingFileSystem::createFile(const std::string& path,
                                                                   int& error) {
  error = count(Op::Create);
  if (error != 0) return nullptr;
  auto file = real().createFile(path, error);
  if (!file) return nullptr;
  return std::make_unique<FaultInjectingFile>(std::move(file), *this);
}

int FaultInjectingFileSystem::readFile(const std::string& path, std::string& contents) {
  if (const int error = count(Op::Read); error != 0) return error;
  return real().readFile(path, contents);
}

int FaultInjectingFileSystem::deleteFile(const std::string& path) {
  if (const int error = count(Op::Delete); error != 0) return error;
  return real().deleteFile(path);
}

int FaultInjectingFileSystem::renameFile(const std::string& from, const std::string& to) {
  if (const int error = count(Op::Rename); error != 0) return error;
  return real().renameFile(from, to);
}

}  // namespace brimwell::testing
