// One walk of a folder tree, listed on a pool of threads and taken by the caller in the
// order of the sequential walk.
//
// The sequential walk takes a folder's entries in the order the file system lists them
// ("." and ".." included) and descends into each subfolder where it meets it, before the
// entries that follow; a folder of another file system is not entered, and neither is a
// link (the listing reports it as a file); a folder that cannot be listed is empty, and
// is noted in unread() (as are files whose size could not be read).
//
// Here the pool's threads list the folders, each whole in one go (so a thread holds one
// listing open at a time), always taking the earliest folder in walk order that is known
// and not yet listed. A folder's records are handed over in blocks as they are listed, and
// the caller takes them with next() on its own thread, waiting where the pool is behind.
// A waiting caller is woken when a run of records is there (kRecordsPerWake), not for every
// folder, or when no thread is listing; one kept waiting longer than kPatience takes what its
// folder has, and where that is nothing, has the thread listing it hand over what it has so
// far, so that on a slow drive the entries still come one by one.
//
// Memory is bounded: a thread starts a folder only while fewer than `maxFoldersAhead`
// folders are read ahead (started and not yet entered by the caller) and the records and
// paths held take less than `maxBytesAhead`, except the folder the caller waits for,
// which is always started. A record takes 8 bytes (16 with a query); the caller's blocks are freed
// as it moves on. So the walk holds at most maxBytesAhead plus the folders being listed, and at
// most as many listings open as it has threads.
//
// An exception on a pool thread (out of memory anywhere, or from the query) ends its
// folder's listing: the caller takes the entries listed before it, and then next() throws
// it. The walk stays whole: no folder is freed while a thread may still reach it.
//
// Threads and lifetimes. The file system and the query are the caller's: both must
// outlive the walk. One thread, the taker, constructs the walk, calls next(), unread(),
// peak() and threads(), and destroys it; next() has that one caller. The pool's threads
// call the file system's listFolder() and the listings it returns, and the query's ask()
// (whose own calls to the file system, such as attributes(), run there too). Destruction
// tells the pool to stop and waits for it: a listing in progress ends at its next entry
// (a query being asked is answered first), and then every thread is joined.
//
// With more than one thread, only for a FileSystem whose allowsConcurrentListing() is
// true; with one, any file system, as long as nothing else lists while the walk runs.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"
#include "walk/file_query.h"
#include "walk/unread_paths.h"

namespace brimwell::walk {

// One entry, as the caller takes it.
struct WalkEntry {
  enum class Kind : std::uint8_t {
    File,           // anything but a folder (links too)
    Folder,         // a folder the walk enters: its entries come next
    SkippedFolder,  // "." and "..", and a folder of another file system
  };
  Kind kind = Kind::File;
  std::uint64_t size = 0;    // a file's listed size, when sizes were asked for
  std::uint64_t answer = 0;  // the query's answer for a file, when there is a query
  bool foreign = false;      // a SkippedFolder of another file system (or a link to a folder)
};

struct WalkOptions {
  static constexpr std::size_t kMaxFoldersAhead = 16384;
  static constexpr std::size_t kMaxBytesAhead = std::size_t{8} << 20;

  bool withSizes = true;       // file entries carry their listed size
  FileQuery* query = nullptr;  // asked about every file, on the pool's threads
  std::size_t threads = 0;     // 0: poolThreads()
  std::size_t maxFoldersAhead = kMaxFoldersAhead;
  std::size_t maxBytesAhead = kMaxBytesAhead;
};

class OrderedWalk {
 public:
  static constexpr std::chrono::milliseconds kPatience{20};
  // A waiting caller is woken once this many records were handed over since it began to
  // wait (its folder's among them), or when the pool has nothing more it may list.
  static constexpr std::uint64_t kRecordsPerWake = 1024;

  // What the walk held at most at once.
  struct Peak {
    std::size_t folders = 0;  // folders read ahead: started, not yet entered by the caller
    std::size_t bytes = 0;    // records, paths and bookkeeping of every folder held
  };

  // As many threads as the machine has cores, at least two.
  static std::size_t poolThreads();

  // Starts the pool on `folder`, which ends in `separator` (the separator it appends to
  // each subfolder's path).
  OrderedWalk(FileSystem& fileSystem, std::string folder, char separator, WalkOptions options = {});
  ~OrderedWalk();
  OrderedWalk(const OrderedWalk&) = delete;
  OrderedWalk& operator=(const OrderedWalk&) = delete;

  // The next entry in walk order; false once all were taken.
  bool next(WalkEntry& entry) {
    if (cursor_ == end_ || descend_) {
      if (!advance()) return false;
    }
    const std::uint64_t value = *cursor_;
    entry.answer = stride_ == 2 ? cursor_[1] : 0;
    cursor_ += stride_;
    if (value == kEnteredFolder) {
      entry.kind = WalkEntry::Kind::Folder;
      entry.size = 0;
      entry.foreign = false;
      descend_ = true;
    } else if (value == kSkippedFolder || value == kForeignFolder) {
      entry.kind = WalkEntry::Kind::SkippedFolder;
      entry.size = 0;
      entry.foreign = value == kForeignFolder;
    } else {
      entry.kind = WalkEntry::Kind::File;
      entry.size = value;
      entry.foreign = false;
      if (value == kLargeFile) {  // the size is the next record's
        entry.size = *cursor_;
        cursor_ += stride_;
      }
    }
    return true;
  }

  // The folders and files of the folders the caller has left that could not be read.
  const UnreadPaths& unread() const { return unread_; }
  Peak peak() const;
  std::size_t threads() const { return pool_.size(); }

 private:
  // A file's record is its size; the three values above kLargeFile stand for folders, and
  // a file of kLargeFile bytes or more takes two records: kLargeFile, then its size.
  static constexpr std::uint64_t kEnteredFolder = std::numeric_limits<std::uint64_t>::max();
  static constexpr std::uint64_t kSkippedFolder = kEnteredFolder - 1;  // "." and ".."
  static constexpr std::uint64_t kForeignFolder = kEnteredFolder - 2;
  static constexpr std::uint64_t kLargeFile = kEnteredFolder - 3;

  struct Folder;
  using Block = std::vector<std::uint64_t>;
  // A folder the caller is in, and where it is in the block it took last.
  struct Frame {
    std::unique_ptr<Folder> folder;
    Block block;
    std::size_t position = 0;
  };

  // The slow part of next(): enters a subfolder, takes the next block, leaves finished
  // folders; false at the end of the walk.
  bool advance();
  // Waits for the next block of the innermost folder; false when it has none left.
  bool takeBlock(Frame& frame);
  // The caller has taken every entry of the innermost folder.
  void leave();
  // Adds what `folder` could not read to unread_.
  void noteUnread(const Folder& folder);

  void stopPool();  // tells the pool to stop and joins it
  void work(std::size_t worker);
  bool canStart() const;  // under mutex_
  void list(Folder& folder, std::size_t worker);
  // Makes an empty block for `records` records, and the folder's room to hand it over.
  void startBlock(Folder& folder, Block& filling, std::size_t records);
  void addSubfolder(Folder& folder, const std::string& name, std::size_t ordinal);
  void publish(Folder& folder, Block& filling, bool last, std::exception_ptr failure = {}) noexcept;
  // Under mutex_: `folder` has something for the caller, and enough was handed over since
  // it began to wait (or nothing more is being listed) that waking it is worth a wake.
  bool worthWaking(const Folder& folder) const;
  void wakeCaller();  // under mutex_: wakes the caller waiting for awaited_ when worthWaking
  void noteHeld();    // under mutex_: updates peak_
  // True when `a` comes before `b` in walk order; neither lies below the other.
  static bool before(const Folder* a, const Folder* b);

  FileSystem& fileSystem_;
  const char separator_;
  const WalkOptions options_;
  const std::size_t stride_;  // numbers per record: 2 with a query

  // The caller's own.
  std::vector<Frame> frames_;
  const std::uint64_t* cursor_ = nullptr;
  const std::uint64_t* end_ = nullptr;
  bool descend_ = false;
  UnreadPaths unread_;

  mutable std::mutex mutex_;
  std::condition_variable workReady_;    // a folder may be started, or stop
  std::condition_variable blockReady_;   // a block of awaited_ was handed over, or it ended
  const Folder* awaited_ = nullptr;      // the folder the caller waits for a block of
  std::uint64_t recordsHandedOver_ = 0;  // by the pool, ever
  std::uint64_t wakeAt_ = 0;             // the caller waits until recordsHandedOver_ reaches it
  std::size_t listing_ = 0;              // threads listing a folder
  std::vector<Folder*> pending_;  // known, not started: a heap, earliest in walk order on top
  Folder* wanted_ = nullptr;      // the folder the caller waits for, not started yet
  std::size_t heldFolders_ = 0;
  std::size_t heldBytes_ = 0;
  Peak peak_;
  std::atomic<bool> stop_ = false;

  std::vector<std::thread> pool_;  // last: started once everything above is in place
};

}  // namespace brimwell::walk
