// The pool that lists the folders, and the caller's side that takes them in walk order.
#include "walk/ordered_walk.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace brimwell::walk {

struct OrderedWalk::Folder {
  Folder(std::string folderPath, Folder* parentFolder, std::size_t ordinalInParent)
      : path(std::move(folderPath)),
        parent(parentFolder),
        depth(parentFolder ? parentFolder->depth + 1 : 0),
        ordinal(ordinalInParent) {}

  // What the folder holds besides its blocks (and 8 bytes a subfolder, 24 a block).
  std::size_t bytes() const { return sizeof(Folder) + path.capacity(); }

  const std::string path;  // ends in the separator
  Folder* const parent;
  const std::size_t depth;
  const std::size_t ordinal;  // among the parent's subfolders

  // Under mutex_.
  bool started = false;
  bool entered = false;  // by the caller
  bool listed = false;   // every block handed over
  std::exception_ptr failure;
  int error = 0;  // the listing's, when it failed
  // Files whose size could not be read: name and Windows error number (rare, so kept apart).
  std::vector<std::pair<std::string, int>> unreadFiles;
  // Subfolders the walk is already inside (mounted again below themselves), not entered.
  std::vector<std::string> repeatedFolders;
  // Handed over, taken from `firstBlock` on (vectors: an empty one allocates nothing).
  std::vector<Block> blocks;
  std::size_t firstBlock = 0;
  // Subfolders in order, entered from `firstChild` on.
  std::vector<std::unique_ptr<Folder>> children;
  std::size_t firstChild = 0;

  std::atomic<bool> hurry = false;  // the caller waits: hand over what there is
};

namespace {

constexpr std::size_t kFirstBlockRecords = 32;
constexpr std::size_t kLargestBlockRecords = 4096;

// Makes room for one more element ahead of the push, so that the push cannot fail.
template <typename T>
void makeRoomForOne(std::vector<T>& items) {
  if (items.size() == items.capacity()) items.reserve(std::max<std::size_t>(8, items.size() * 2));
}

}  // namespace

std::size_t OrderedWalk::poolThreads() {
  return std::max<std::size_t>(2, std::thread::hardware_concurrency());
}

OrderedWalk::OrderedWalk(FileSystem& fileSystem, std::string folder, char separator,
                         WalkOptions options)
    : fileSystem_(fileSystem),
      separator_(separator),
      options_(options),
      stride_(options.query ? 2 : 1) {
  auto root = std::make_unique<Folder>(std::move(folder), nullptr, 0);
  root->entered = true;
  pending_.push_back(root.get());
  heldBytes_ = root->bytes();
  frames_.push_back(Frame{std::move(root), {}, 0});
  const std::size_t threads = options_.threads != 0 ? options_.threads : poolThreads();
  pool_.reserve(threads);
  try {
    for (std::size_t worker = 0; worker < threads; ++worker) {
      pool_.emplace_back(&OrderedWalk::work, this, worker);
    }
  } catch (...) {
    // No thread to be had: the ones started are stopped before the failure goes on.
    stopPool();
    throw;
  }
}

OrderedWalk::~OrderedWalk() {
  stopPool();
  // Free the tree breadth first, so that a deep one does not recurse.
  std::vector<std::unique_ptr<Folder>> doomed;
  for (Frame& frame : frames_) doomed.push_back(std::move(frame.folder));
  for (std::size_t i = 0; i < doomed.size(); ++i) {
    for (auto& child : doomed[i]->children) {
      if (child) doomed.push_back(std::move(child));
    }
  }
}

void OrderedWalk::stopPool() {
  {
    // Set under the lock, so a thread about to wait for work cannot miss it.
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  workReady_.notify_all();
  for (std::thread& thread : pool_) thread.join();
}

OrderedWalk::Peak OrderedWalk::peak() const {
  const std::lock_guard lock(mutex_);
  return peak_;
}

bool OrderedWalk::advance() {
  if (frames_.empty()) return false;
  if (descend_) {
    // Room first: once the child is taken from its parent, nothing may fail and free it
    // while a pool thread may still be listing it.
    makeRoomForOne(frames_);
    descend_ = false;
    Frame& parent = frames_.back();
    parent.position = static_cast<std::size_t>(cursor_ - parent.block.data());
    std::unique_ptr<Folder> child;
    bool roomMade = false;
    {
      const std::lock_guard lock(mutex_);
      Folder& folder = *parent.folder;
      child = std::move(folder.children[folder.firstChild++]);
      child->entered = true;
      if (child->started) {
        --heldFolders_;  // no longer read ahead: a thread may start another
        roomMade = canStart();
      }
    }
    if (roomMade) workReady_.notify_one();
    frames_.push_back(Frame{std::move(child), {}, 0});
    cursor_ = end_ = nullptr;
  }
  while (cursor_ == end_) {
    Frame& frame = frames_.back();
    if (takeBlock(frame)) {
      cursor_ = frame.block.data();
      end_ = cursor_ + frame.block.size();
      continue;
    }
    if (frame.folder->failure) std::rethrow_exception(frame.folder->failure);
    noteUnread(*frame.folder);
    leave();
    if (frames_.empty()) return false;
    const Frame& parent = frames_.back();
    cursor_ = parent.block.data() + parent.position;
    end_ = parent.block.data() + parent.block.size();
  }
  return true;
}

bool OrderedWalk::takeBlock(Frame& frame) {
  Folder& folder = *frame.folder;
  std::unique_lock lock(mutex_);
  heldBytes_ -= frame.block.capacity() * sizeof(std::uint64_t);
  frame.block = Block();
  const auto ready = [&folder] {
    return folder.firstBlock < folder.blocks.size() || folder.listed;
  };
  if (!ready()) {
    if (!folder.started) {
      wanted_ = &folder;
      lock.unlock();
      workReady_.notify_all();
      lock.lock();
    }
    // Woken once a run of entries is there, not for each folder: a wake costs more than
    // the caller's work on a small folder. awaited_ is cleared by whoever wakes it.
    const auto goOn = [this, &folder] { return awaited_ != &folder || worthWaking(folder); };
    awaited_ = &folder;
    wakeAt_ = recordsHandedOver_ + kRecordsPerWake;
    if (!blockReady_.wait_for(lock, kPatience, goOn) && !ready()) {
      folder.hurry = true;
      awaited_ = &folder;
      wakeAt_ = 0;  // any block of it will do
      blockReady_.wait(lock, goOn);
    }
    awaited_ = nullptr;
  }
  if (folder.firstBlock == folder.blocks.size()) return false;
  frame.block = std::move(folder.blocks[folder.firstBlock++]);
  return true;
}

void OrderedWalk::noteUnread(const Folder& folder) {
  // Read without the lock: the folder is listed, and its listing thread is done with it.
  std::string path;
  for (const auto& [name, error] : folder.unreadFiles) {
    path.assign(folder.path).append(name);
    unread_.addFile(path, error);
  }
  for (const std::string& name : folder.repeatedFolders) {
    path.assign(folder.path).append(name);
    unread_.addRepeatedFolder(path);
  }
  // Below the root, a folder that could not be opened was met in its parent's listing.
  if (folder.parent != nullptr) {
    unread_.addMetFolder(folder.path, folder.error);
  } else {
    unread_.addFolder(folder.path, folder.error);
  }
}

void OrderedWalk::leave() {
  std::unique_ptr<Folder> done = std::move(frames_.back().folder);
  frames_.pop_back();
  bool roomMade = false;
  {
    const std::lock_guard lock(mutex_);
    heldBytes_ -= done->bytes();
    roomMade = canStart();
  }
  if (roomMade) workReady_.notify_one();
}

bool OrderedWalk::canStart() const {
  if (pending_.empty()) return false;
  const Folder* earliest = pending_.front();
  return earliest == wanted_ ||
         (heldFolders_ < options_.maxFoldersAhead && heldBytes_ < options_.maxBytesAhead);
}

void OrderedWalk::work(std::size_t worker) {
  const auto later = [](const Folder* a, const Folder* b) { return before(b, a); };
  std::unique_lock lock(mutex_);
  for (;;) {
    if (!stop_ && !canStart()) {
      // Nothing more comes until the caller moves on: it takes what there is.
      if (listing_ == 0) wakeCaller();
      workReady_.wait(lock, [this] { return stop_ || canStart(); });
    }
    if (stop_) return;
    std::pop_heap(pending_.begin(), pending_.end(), later);
    Folder* folder = pending_.back();
    pending_.pop_back();
    folder->started = true;
    if (wanted_ == folder) wanted_ = nullptr;
    if (!folder->entered) ++heldFolders_;
    noteHeld();
    ++listing_;
    lock.unlock();
    list(*folder, worker);
    lock.lock();
    --listing_;
  }
}

void OrderedWalk::list(Folder& folder, std::size_t worker) {
  // Everything that allocates is inside the try, and publish() allocates nothing, so a
  // failure anywhere hands over the entries before it and then the failure.
  Block filling;
  std::size_t blockRecords = kFirstBlockRecords;
  std::exception_ptr failure;
  try {
    startBlock(folder, filling, blockRecords);
    int error = 0;
    const auto listing = fileSystem_.listFolder(folder.path, options_.withSizes, error);
    std::string filePath;
    std::size_t subfolders = 0;
    for (DirEntry entry; listing && listing->next(entry);) {
      if (stop_.load(std::memory_order_relaxed)) return;
      std::uint64_t value = kSkippedFolder;
      std::uint64_t answer = 0;
      if (!entry.isDirectory) {
        value = entry.size;
        if (entry.error != 0) folder.unreadFiles.emplace_back(entry.name, entry.error);
        if (options_.query) {
          filePath.assign(folder.path).append(entry.name);
          answer = options_.query->ask(filePath, entry, worker);
        }
      } else if (entry.name == "." || entry.name == "..") {
        // kSkippedFolder, whatever lies beyond ".." (the parent of a mounted root)
      } else if (entry.isForeignDirectory) {
        value = kForeignFolder;
        if (entry.isRepeatedDirectory) folder.repeatedFolders.push_back(entry.name);
      } else {
        value = kEnteredFolder;
        addSubfolder(folder, entry.name, subfolders++);
      }
      // A size that could read as a marker goes whole into a second record.
      const bool large = !entry.isDirectory && value >= kLargeFile;
      filling.push_back(large ? kLargeFile : value);
      if (stride_ == 2) filling.push_back(answer);
      if (large) {
        filling.push_back(value);
        if (stride_ == 2) filling.push_back(0);
      }
      if (filling.size() >= blockRecords * stride_ ||
          folder.hurry.load(std::memory_order_relaxed)) {
        publish(folder, filling, false);
        blockRecords = std::min(blockRecords * 2, kLargestBlockRecords);
        startBlock(folder, filling, blockRecords);
      }
    }
    folder.error = listing ? listing->error() : error;
  } catch (...) {
    failure = std::current_exception();
  }
  publish(folder, filling, true, failure);
}

void OrderedWalk::startBlock(Folder& folder, Block& filling, std::size_t records) {
  // A large file's second record fits too, so no push into the block reallocates.
  filling.reserve((records + 1) * stride_);
  const std::lock_guard lock(mutex_);
  makeRoomForOne(folder.blocks);
}

void OrderedWalk::addSubfolder(Folder& folder, const std::string& name, std::size_t ordinal) {
  std::string path;
  path.reserve(folder.path.size() + name.size() + 1);
  path.append(folder.path).append(name) += separator_;
  auto child = std::make_unique<Folder>(std::move(path), &folder, ordinal);
  bool startable = false;
  {
    const std::lock_guard lock(mutex_);
    // Both places are made before either holds the child, so a failure leaves neither
    // pointing at a freed folder.
    makeRoomForOne(folder.children);
    makeRoomForOne(pending_);
    heldBytes_ += child->bytes();
    pending_.push_back(child.get());
    std::push_heap(pending_.begin(), pending_.end(),
                   [](const Folder* a, const Folder* b) { return before(b, a); });
    folder.children.push_back(std::move(child));
    noteHeld();
    startable = canStart();
  }
  if (startable) workReady_.notify_one();
}

void OrderedWalk::publish(Folder& folder, Block& filling, bool last,
                          std::exception_ptr failure) noexcept {
  {
    const std::lock_guard lock(mutex_);
    if (!filling.empty()) {
      heldBytes_ += filling.capacity() * sizeof(std::uint64_t);
      recordsHandedOver_ += filling.size() / stride_;
      folder.blocks.push_back(std::move(filling));  // into the place startBlock() made
      noteHeld();
    }
    folder.hurry = false;
    if (last) {
      folder.listed = true;
      folder.failure = std::move(failure);
    }
    wakeCaller();
  }
  filling = Block();
}

bool OrderedWalk::worthWaking(const Folder& folder) const {
  const bool ready = folder.firstBlock < folder.blocks.size() || folder.listed;
  return ready && (recordsHandedOver_ >= wakeAt_ || listing_ == 0);
}

void OrderedWalk::wakeCaller() {
  if (awaited_ == nullptr || !worthWaking(*awaited_)) return;
  awaited_ = nullptr;
  blockReady_.notify_one();
}

void OrderedWalk::noteHeld() {
  peak_.folders = std::max(peak_.folders, heldFolders_);
  peak_.bytes = std::max(peak_.bytes, heldBytes_);
}

bool OrderedWalk::before(const Folder* a, const Folder* b) {
  while (a->depth > b->depth) a = a->parent;
  while (b->depth > a->depth) b = b->parent;
  while (a->parent != b->parent) {
    a = a->parent;
    b = b->parent;
  }
  return a->ordinal < b->ordinal;
}

}  // namespace brimwell::walk
