// The helper thread that reads the classifying walk's entries ahead, and the queue that
// hands them over.
#include "census/walk_prefetch.h"

#include <string_view>
#include <utility>

namespace brimwell::census {

WalkPrefetch::WalkPrefetch(FileSystem& fileSystem, std::string folder, char separator,
                           std::size_t maxQueuedChunks)
    : fileSystem_(fileSystem),
      separator_(separator),
      maxQueuedChunks_(maxQueuedChunks),
      helper_(&WalkPrefetch::run, this, std::move(folder)) {}

WalkPrefetch::~WalkPrefetch() {
  {
    // Set under the lock, so a helper about to wait for room cannot miss it.
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  taken_.notify_all();
  helper_.join();
}

bool WalkPrefetch::take(Chunk& chunk) {
  std::unique_lock lock(mutex_);
  if (chunk.capacity() != 0) {
    chunk.clear();
    spare_.push_back(std::move(chunk));
  }
  const auto ready = [this] { return !queue_.empty() || finished_; };
  if (!published_.wait_for(lock, kPatience, ready)) {
    hurry_ = true;
    published_.wait(lock, ready);
  }
  if (queue_.empty()) {
    if (failure_) std::rethrow_exception(failure_);
    return false;
  }
  chunk = std::move(queue_.front());
  queue_.pop_front();
  lock.unlock();
  taken_.notify_one();
  return true;
}

void WalkPrefetch::run(std::string folder) {
  std::exception_ptr failure;
  try {
    filling_.reserve(kChunkRecords);
    walk(folder, 0);
    if (!filling_.empty()) publish();
  } catch (...) {
    failure = std::current_exception();
  }
  {
    const std::lock_guard lock(mutex_);
    finished_ = true;
    failure_ = failure;
  }
  published_.notify_all();
}

std::uint64_t WalkPrefetch::recordOf(const DirEntry& entry) {
  if (!entry.isDirectory) return entry.size;
  if (entry.name == "." || entry.name == ".." || entry.isForeignDirectory) return kNotAFile;
  return kEnterFolder;
}

void WalkPrefetch::walk(std::string& folder, std::size_t depth) {
  auto listing = fileSystem_.listFolder(folder, true);
  if (!listing) return;
  DirEntry entry;
  while (listing->next(entry)) {
    if (stop_.load(std::memory_order_relaxed)) return;
    const std::uint64_t value = recordOf(entry);
    if (value != kEnterFolder) {
      record(value);
      continue;
    }
    if (depth >= kOpenLevels) {
      while (rests_.size() <= depth - kOpenLevels) rests_.emplace_back();
      FolderEntries& rest = rests_[depth - kOpenLevels];
      rest.records.clear();
      rest.subfolderNames.clear();
      do {
        if (stop_.load(std::memory_order_relaxed)) return;
        const std::uint64_t restValue = recordOf(entry);
        rest.records.push_back(restValue);
        if (restValue == kEnterFolder) {
          rest.subfolderNames.append(entry.name);
          rest.subfolderNames.push_back('\0');
        }
      } while (listing->next(entry));
      listing.reset();
      walkRest(rest, folder, depth);
      return;
    }
    record(kNotAFile);
    descend(folder, entry.name, depth);
  }
}

void WalkPrefetch::walkRest(const FolderEntries& rest, std::string& folder, std::size_t depth) {
  std::size_t nameStart = 0;
  for (const std::uint64_t value : rest.records) {
    if (stop_.load(std::memory_order_relaxed)) return;
    if (value != kEnterFolder) {
      record(value);
      continue;
    }
    record(kNotAFile);
    const std::size_t nameEnd = rest.subfolderNames.find('\0', nameStart);
    descend(folder, std::string_view(rest.subfolderNames).substr(nameStart, nameEnd - nameStart),
            depth);
    nameStart = nameEnd + 1;
  }
}

void WalkPrefetch::descend(std::string& folder, std::string_view name, std::size_t depth) {
  const std::size_t folderLength = folder.size();
  folder.append(name);
  folder += separator_;
  walk(folder, depth + 1);
  folder.resize(folderLength);
}

void WalkPrefetch::record(std::uint64_t value) {
  filling_.push_back(value);
  if (filling_.size() == kChunkRecords || hurry_.load(std::memory_order_relaxed)) publish();
}

void WalkPrefetch::publish() {
  std::unique_lock lock(mutex_);
  taken_.wait(lock, [this] { return queue_.size() < maxQueuedChunks_ || stop_; });
  if (stop_) {
    filling_.clear();
    return;
  }
  hurry_ = false;
  queue_.push_back(std::move(filling_));
  filling_ = Chunk();
  if (!spare_.empty()) {
    filling_ = std::move(spare_.back());
    spare_.pop_back();
  }
  lock.unlock();
  published_.notify_one();
  filling_.reserve(kChunkRecords);
}

}  // namespace brimwell::census
