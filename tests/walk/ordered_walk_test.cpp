// The ordered walk: the sequential walk's entries in its order, whatever the pool's size and
// bounds; the bounds measured; a slow folder handed over bit by bit; failures and the
// query's answers carried to the caller; a walk stopped anywhere leaves no thread behind.
#include "walk/ordered_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <limits>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "platform/posix_file_system.h"
#include "support/forwarding_file_system.h"
#include "support/temp_dir.h"
#include "support/thread_count.h"
#include "support/walk_tree.h"

namespace brimwell::walk {
namespace {

using Kind = WalkEntry::Kind;

struct Taken {
  Kind kind;
  std::uint64_t size;
  std::uint64_t answer;
  bool operator==(const Taken&) const = default;
};

using testing::ForwardingListing;
using testing::threadCount;
using testing::threadCountSettledAt;

// The entries of the sequential walk of `folder`, listed on this thread; `paths` gets the
// path of every entry.
void listedWalk(FileSystem& files, std::string& folder, std::vector<Taken>& entries,
                std::vector<std::string>& paths) {
  int listError = 0;
  const auto listing = files.listFolder(folder, true, listError);
  if (!listing) return;
  const std::size_t length = folder.size();
  for (DirEntry entry; listing->next(entry);) {
    paths.push_back(folder + entry.name);
    if (!entry.isDirectory) {
      entries.push_back({Kind::File, entry.size, 0});
    } else if (entry.name == "." || entry.name == ".." || entry.isForeignDirectory) {
      entries.push_back({Kind::SkippedFolder, 0, 0});
    } else {
      entries.push_back({Kind::Folder, 0, 0});
      folder += entry.name + "/";
      listedWalk(files, folder, entries, paths);
      folder.resize(length);
    }
  }
}

std::vector<Taken> listedWalkOf(const std::string& location,
                                std::vector<std::string>* paths = nullptr) {
  PosixFileSystem files;
  std::string folder = location;
  std::vector<Taken> entries;
  std::vector<std::string> ignored;
  listedWalk(files, folder, entries, paths ? *paths : ignored);
  return entries;
}

std::vector<Taken> takeAll(OrderedWalk& walk) {
  std::vector<Taken> entries;
  for (WalkEntry entry; walk.next(entry);) {
    entries.push_back({entry.kind, entry.size, entry.answer});
  }
  return entries;
}

// The real file system, keeping count of the listings open at once.
class CountingFileSystem : public PosixFileSystem {
 public:
  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes,
                                            int& error) override {
    auto real = PosixFileSystem::listFolder(path, withSizes, error);
    if (!real) return real;
    return std::make_unique<Counted>(std::move(real), *this);
  }
  std::atomic<int> open = 0;
  std::atomic<int> mostOpen = 0;

 private:
  class Counted : public ForwardingListing {
   public:
    Counted(std::unique_ptr<FolderListing> real, CountingFileSystem& owner)
        : ForwardingListing(std::move(real)), owner_(owner) {
      const int now = ++owner_.open;
      int most = owner_.mostOpen;
      while (now > most && !owner_.mostOpen.compare_exchange_weak(most, now)) {
      }
    }
    ~Counted() override { --owner_.open; }

   private:
    std::unique_ptr<FolderListing> real_;
    CountingFileSystem& owner_;
  };
};

// One tree for every test (WalkTree): folders of thousands of files, hidden files and a
// hidden folder, empty folders, a link to a folder, and a chain of folders 70 deep.
class OrderedWalkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = new testing::TempDir;
    testing::WalkTree().writeInto(*tree_);
  }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }
  static std::string tree(const std::string& relative) { return *tree_ / relative; }

  static testing::TempDir* tree_;
};

testing::TempDir* OrderedWalkTest::tree_ = nullptr;

TEST_F(OrderedWalkTest, TakesTheSequentialWalksEntriesWithinItsBounds) {
  const std::vector<Taken> expected = listedWalkOf(tree("t/"));
  ASSERT_GT(expected.size(), 3600u);
  // 1 folder and 1 byte ahead: only the folder the caller waits for is started.
  for (const std::size_t threads : {1, 2, 3, 8}) {
    for (const std::size_t folders :
         {std::size_t{1}, std::size_t{5}, WalkOptions::kMaxFoldersAhead}) {
      SCOPED_TRACE(std::to_string(threads) + " threads, " + std::to_string(folders) + " folders");
      CountingFileSystem files;
      WalkOptions options;
      options.threads = threads;
      options.maxFoldersAhead = folders;
      options.maxBytesAhead = folders == 1 ? 1 : WalkOptions::kMaxBytesAhead;
      OrderedWalk walk(files, tree("t/"), '/', options);
      EXPECT_EQ(walk.threads(), threads);
      EXPECT_EQ(takeAll(walk), expected);
      WalkEntry entry;
      EXPECT_FALSE(walk.next(entry));
      EXPECT_LE(walk.peak().folders, folders);
      EXPECT_LE(files.mostOpen, static_cast<int>(threads));
      EXPECT_EQ(files.open, 0);
    }
  }
  // Without sizes, files come with size 0; a missing folder is an empty walk.
  PosixFileSystem files;
  WalkOptions sizeless;
  sizeless.withSizes = false;
  OrderedWalk walk(files, tree("t/a/b/"), '/', sizeless);
  const std::vector<Taken> taken = takeAll(walk);
  EXPECT_EQ(taken.size(), 1500u + 5u);
  EXPECT_TRUE(std::all_of(taken.begin(), taken.end(), [](const Taken& t) { return t.size == 0; }));
  OrderedWalk missing(files, tree("missing/"), '/');
  EXPECT_TRUE(takeAll(missing).empty());
}

TEST_F(OrderedWalkTest, HoldsWhatItReadsAheadWithinItsBounds) {
  // Nobody takes anything until the pool has read ahead as far as it may; the peak, the
  // most it held at any moment of the whole walk, shows it never went further.
  PosixFileSystem files;
  for (const std::size_t folders : {1, 4, 60}) {
    WalkOptions options;
    options.maxFoldersAhead = folders;
    OrderedWalk walk(files, tree("t/deep/"), '/', options);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (walk.peak().folders < folders && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(walk.peak().folders, folders) << "read ahead as far as it may";
    EXPECT_EQ(takeAll(walk), listedWalkOf(tree("t/deep/")));
    EXPECT_EQ(walk.peak().folders, folders) << "and never further";
  }
}

// The listing of one folder turns slow after its first `quick` entries (a millisecond an
// entry, as a network drive might be) until told to speed up, and halts at `stop` entries
// until then.
// A walk that waited for the whole folder would meet the stop: the listing then goes on by
// itself after a long wait and says so.
class SlowingFileSystem : public PosixFileSystem {
 public:
  SlowingFileSystem(std::string slowFolder, int quick, int stop = std::numeric_limits<int>::max())
      : slowFolder_(std::move(slowFolder)), quick_(quick), stop_(stop) {}

  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes,
                                            int& error) override {
    auto listing = PosixFileSystem::listFolder(path, withSizes, error);
    if (!listing || path != slowFolder_) return listing;
    return std::make_unique<SlowListing>(std::move(listing), *this);
  }
  void speedUp() {
    {
      const std::lock_guard lock(mutex_);
      fast_ = true;
    }
    spedUp_.notify_all();
  }
  bool stopOutwaited() const { return stopOutwaited_; }

 private:
  class SlowListing : public ForwardingListing {
   public:
    SlowListing(std::unique_ptr<FolderListing> real, SlowingFileSystem& owner)
        : ForwardingListing(std::move(real)), owner_(owner) {}
    bool next(DirEntry& entry) override {
      if (listed_ >= owner_.quick_) {
        std::unique_lock lock(owner_.mutex_);
        const auto fast = [this] { return owner_.fast_; };
        if (listed_ < owner_.stop_) {
          owner_.spedUp_.wait_for(lock, std::chrono::milliseconds(1), fast);
        } else if (!owner_.spedUp_.wait_for(lock, std::chrono::seconds(30), fast)) {
          owner_.stopOutwaited_ = true;
        }
      }
      ++listed_;
      return ForwardingListing::next(entry);
    }

   private:
    SlowingFileSystem& owner_;
    int listed_ = 0;
  };

  const std::string slowFolder_;
  const int quick_;
  const int stop_;
  std::mutex mutex_;
  std::condition_variable spedUp_;
  bool fast_ = false;
  std::atomic<bool> stopOutwaited_ = false;
};

TEST_F(OrderedWalkTest, AWaitingCallerGetsWhatHasBeenListedSoFar) {
  // t/a holds 2,000 files; its listing halts after 1,000 of them until the caller has its 40.
  const std::string location = tree("t/a/");
  SlowingFileSystem slowing(location, 10, 1000);
  OrderedWalk walk(slowing, location, '/');
  std::vector<Taken> taken;
  WalkEntry entry;
  for (int i = 0; i < 40 && walk.next(entry); ++i) taken.push_back({entry.kind, entry.size, 0});
  EXPECT_FALSE(slowing.stopOutwaited()) << "the caller waited for the whole folder";
  slowing.speedUp();
  for (const Taken& rest : takeAll(walk)) taken.push_back(rest);
  EXPECT_EQ(taken, listedWalkOf(location));
}

// Throws from the listing of one folder, after its first `entries` entries.
class FailingFileSystem : public PosixFileSystem {
 public:
  FailingFileSystem(std::string failing, int entries)
      : failing_(std::move(failing)), entries_(entries) {}
  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes,
                                            int& error) override {
    if (path != failing_) return PosixFileSystem::listFolder(path, withSizes, error);
    if (entries_ == 0) throw std::runtime_error("listing failed");
    return std::make_unique<Failing>(PosixFileSystem::listFolder(path, withSizes, error), entries_);
  }

 private:
  class Failing : public ForwardingListing {
   public:
    Failing(std::unique_ptr<FolderListing> real, int entries)
        : ForwardingListing(std::move(real)), left_(entries) {}
    bool next(DirEntry& entry) override {
      if (left_-- == 0) throw std::runtime_error("listing failed");
      return ForwardingListing::next(entry);
    }

   private:
    int left_;
  };
  const std::string failing_;
  const int entries_;
};

// A query that answers with the length of the path and the size, and notes its threads.
class PathQuery : public FileQuery {
 public:
  std::uint64_t ask(const std::string& path, const DirEntry& entry, std::size_t worker) override {
    if (path == throwAt) throw std::runtime_error("query failed");
    const std::lock_guard lock(mutex_);
    threads.insert(std::this_thread::get_id());
    workers.insert(worker);
    return path.size() * 1000000 + entry.size;
  }
  std::string throwAt;
  std::mutex mutex_;
  std::set<std::thread::id> threads;
  std::set<std::size_t> workers;
};

TEST_F(OrderedWalkTest, FailuresOnThePoolReachTheCallerAfterTheEntriesBeforeThem) {
  std::vector<std::string> paths;
  const std::vector<Taken> expected = listedWalkOf(tree("t/"), &paths);
  const std::size_t threadsBefore = threadCount();
  const auto failAt = [&](const std::string& path) {
    return static_cast<std::size_t>(std::find(paths.begin(), paths.end(), path) - paths.begin());
  };
  // A folder whose listing fails at once, and one failing after 30 entries.
  for (const auto& [folder, entries] :
       {std::pair{std::string("t/a/b"), 0}, {std::string("t/a"), 30}}) {
    SCOPED_TRACE(folder);
    FailingFileSystem failing(tree(folder) + "/", entries);
    OrderedWalk walk(failing, tree("t/"), '/');
    std::vector<Taken> taken;
    try {
      for (WalkEntry entry; walk.next(entry);) taken.push_back({entry.kind, entry.size, 0});
      ADD_FAILURE() << "no failure";
    } catch (const std::runtime_error& failure) {
      EXPECT_STREQ(failure.what(), "listing failed");
    }
    // Up to the folder's entry, then its first `entries` entries with the subtrees of those
    // that are folders.
    const std::string prefix = tree(folder) + "/";
    std::size_t before = failAt(tree(folder)) + 1;
    for (int direct = 0; before < paths.size(); ++before) {
      const bool isDirect = paths[before].rfind('/') == prefix.size() - 1 &&
                            paths[before].compare(0, prefix.size(), prefix) == 0;
      if (isDirect && direct++ == entries) break;
    }
    ASSERT_LE(before, expected.size());
    EXPECT_EQ(taken, std::vector<Taken>(expected.begin(),
                                        expected.begin() + static_cast<std::ptrdiff_t>(before)));
  }
  // The query's failure, on the file after t/.hidden.
  PathQuery query;
  query.throwAt = tree("t/.hidden");
  WalkOptions options;
  options.query = &query;
  PosixFileSystem files;
  OrderedWalk walk(files, tree("t/"), '/', options);
  std::size_t taken = 0;
  EXPECT_THROW(
      {
        for (WalkEntry entry; walk.next(entry);) ++taken;
      },
      std::runtime_error);
  EXPECT_EQ(taken, failAt(tree("t/.hidden")));
  EXPECT_EQ(threadCount(), threadsBefore + walk.threads());
}

TEST_F(OrderedWalkTest, AsksTheQueryOnThePoolForEveryFile) {
  std::vector<std::string> paths;
  std::vector<Taken> expected = listedWalkOf(tree("t/"), &paths);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i].kind == Kind::File)
      expected[i].answer = paths[i].size() * 1000000 + expected[i].size;
  }
  PathQuery query;
  WalkOptions options;
  options.query = &query;
  options.threads = 3;
  PosixFileSystem files;
  OrderedWalk walk(files, tree("t/"), '/', options);
  EXPECT_EQ(takeAll(walk), expected);
  EXPECT_EQ(query.threads.count(std::this_thread::get_id()), 0u);
  EXPECT_GE(query.threads.size(), 1u);
  EXPECT_LE(*query.workers.rbegin(), 2u);
}

TEST_F(OrderedWalkTest, StopsWhereverItIs) {
  PosixFileSystem files;
  const std::size_t threadsBefore = threadCount();
  { OrderedWalk untouched(files, tree("t/"), '/'); }
  {
    WalkOptions options;
    options.maxFoldersAhead = 1;
    OrderedWalk waitingForRoom(files, tree("t/"), '/', options);
    WalkEntry entry;
    EXPECT_TRUE(waitingForRoom.next(entry));
  }
  {
    // In the middle of a slow folder.
    SlowingFileSystem slowing(tree("t/a/"), 10);
    OrderedWalk slow(slowing, tree("t/"), '/');
    WalkEntry entry;
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(slow.next(entry));
  }
  EXPECT_EQ(threadCountSettledAt(threadsBefore), threadsBefore);
  EXPECT_GE(OrderedWalk::poolThreads(), 2u);
}

}  // namespace
}  // namespace brimwell::walk
