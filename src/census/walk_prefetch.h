// Reads the classifying walk's entries ahead, on a helper thread, while the counting walk
// runs on the caller's.
//
// The helper walks a folder exactly as the classifying walk does: depth first, entries in
// the order the file system lists them, "." and ".." listed like any other entry, a
// subfolder descended into as it is met, a folder of another file system not entered, a
// folder that cannot be listed taken as empty; and it asks the listing for sizes. For each
// entry it records one number: a file's listed size, or kNotAFile for any other entry. The
// classifying walk then takes the records in order instead of listing the folders again,
// and pumps and classifies on its own thread as it would have.
//
// Records travel in chunks of kChunkRecords; at most kMaxQueuedChunks wait to be taken
// (16 MiB), so a census of a whole drive holds a bounded amount: the helper waits while the
// queue is full. A taker kept waiting longer than kPatience has the helper hand over what it
// has read so far, so that on a slow file system the entries are still pumped for one by
// one rather than a chunk at a time. Destroying the prefetch stops the helper promptly and
// joins it, whether or not its records were taken.
//
// The helper keeps the listings of the folders it is in open, as the walk does, down to
// kOpenLevels levels; below that it reads the rest of a folder and closes it before
// descending, so that it holds at most kOpenLevels + 1 folders open however deep the tree
// and leaves the counting walk, which lists at the same time, its share of open files.
//
// Only for a FileSystem whose allowsConcurrentListing() is true: the helper lists on its
// own thread while the caller lists on the other.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/file_system.h"

namespace brimwell::census {

class WalkPrefetch {
 public:
  // The record of an entry that is not a file. Listed sizes stay far below it.
  static constexpr std::uint64_t kNotAFile = std::numeric_limits<std::uint64_t>::max();
  static constexpr std::size_t kChunkRecords = 4096;
  static constexpr std::size_t kMaxQueuedChunks = 512;
  static constexpr std::size_t kOpenLevels = 64;
  static constexpr std::chrono::milliseconds kPatience{20};

  using Chunk = std::vector<std::uint64_t>;

  // Starts the helper on `folder`, which ends in `separator` (the separator it appends to
  // each subfolder's path). At most `maxQueuedChunks` chunks wait to be taken.
  WalkPrefetch(FileSystem& fileSystem, std::string folder, char separator,
               std::size_t maxQueuedChunks = kMaxQueuedChunks);
  ~WalkPrefetch();
  WalkPrefetch(const WalkPrefetch&) = delete;
  WalkPrefetch& operator=(const WalkPrefetch&) = delete;

  // Replaces `chunk` with the next records in walk order, waiting for the helper when it
  // is behind; false once every record has been taken. When the helper failed (out of
  // memory), its failure is thrown here after the records read before it.
  bool take(Chunk& chunk);

 private:
  // The rest of a folder's entries, read before descending: its records, with
  // kEnterFolder for each subfolder to descend into, and those subfolders' names, each
  // ended by a NUL.
  struct FolderEntries {
    std::vector<std::uint64_t> records;
    std::string subfolderNames;
  };
  static constexpr std::uint64_t kEnterFolder = kNotAFile - 1;
  // The entry's record, kEnterFolder for a subfolder the walk descends into.
  static std::uint64_t recordOf(const DirEntry& entry);

  void run(std::string folder);
  // `folder` ends in the separator; it is extended for each subfolder and restored.
  void walk(std::string& folder, std::size_t depth);
  // Goes on with the rest of a folder read by `walk`, its first record a subfolder.
  void walkRest(const FolderEntries& rest, std::string& folder, std::size_t depth);
  void descend(std::string& folder, std::string_view name, std::size_t depth);
  void record(std::uint64_t value);
  // Hands the chunk being filled over to the taker, waiting while the queue is full.
  void publish();

  FileSystem& fileSystem_;
  const char separator_;
  const std::size_t maxQueuedChunks_;

  std::mutex mutex_;
  std::condition_variable published_;  // a chunk was queued or the helper ended
  std::condition_variable taken_;      // a chunk was taken or the helper is told to stop
  std::deque<Chunk> queue_;
  std::vector<Chunk> spare_;  // taken chunks, kept for the helper to fill again
  bool finished_ = false;
  std::exception_ptr failure_;
  std::atomic<bool> stop_ = false;
  std::atomic<bool> hurry_ = false;  // the taker waits: hand over what there is

  // The helper's own: the chunk it fills and the rests of the folders below kOpenLevels,
  // one per level (a deque, so a level stays where it is while deeper ones are added).
  Chunk filling_;
  std::deque<FolderEntries> rests_;

  std::thread helper_;  // last: it starts once everything above is in place
};

}  // namespace brimwell::census
