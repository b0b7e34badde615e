// What the ordered walk survives: running out of memory anywhere on its pool, file sizes
// that look like its own folder records, and folders and files it cannot read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "platform/posix_file_system.h"
#include "platform/windows_errors.h"
#include "support/forwarding_file_system.h"
#include "support/temp_dir.h"
#include "walk/ordered_walk.h"

// Out of memory on demand: the n-th allocation from now on this thread fails (0: none).
thread_local int allocationsUntilFailure = 0;

void* operator new(std::size_t size) {
  if (allocationsUntilFailure > 0 && --allocationsUntilFailure == 0) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace brimwell::walk {
namespace {

using testing::ForwardingListing;

// The real file system, whose listings hand every entry to `touch` (on the pool's thread)
// with the folder's path before the walk gets it, and which refuses to list `refused`.
class TouchingFileSystem : public PosixFileSystem {
 public:
  using Touch = std::function<void(const std::string& folder, DirEntry& entry)>;
  explicit TouchingFileSystem(Touch touch, std::string refused = {})
      : touch_(std::move(touch)), refused_(std::move(refused)) {}

  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes,
                                            int& error) override {
    error = winerr::kAccessDenied;
    if (path == refused_) return nullptr;
    auto real = PosixFileSystem::listFolder(path, withSizes, error);
    if (!real) return real;
    return std::make_unique<Touched>(std::move(real), path, touch_);
  }

 private:
  class Touched : public ForwardingListing {
   public:
    Touched(std::unique_ptr<FolderListing> real, std::string folder, const Touch& touch)
        : ForwardingListing(std::move(real)), folder_(std::move(folder)), touch_(touch) {}
    ~Touched() override { allocationsUntilFailure = 0; }  // on the listing's thread
    bool next(DirEntry& entry) override {
      if (!ForwardingListing::next(entry)) return false;
      touch_(folder_, entry);
      return true;
    }

   private:
    std::string folder_;
    const Touch& touch_;
  };
  Touch touch_;
  std::string refused_;
};

struct Taken {
  WalkEntry::Kind kind;
  std::uint64_t size;
  bool operator==(const Taken&) const = default;
};

// Every entry until the end, or until next() throws bad_alloc (`failed`).
std::vector<Taken> takeAll(OrderedWalk& walk, bool& failed) {
  std::vector<Taken> taken;
  failed = false;
  try {
    for (WalkEntry entry; walk.next(entry);) taken.push_back({entry.kind, entry.size});
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  return taken;
}

class WalkHazards : public ::testing::Test {
 protected:
  WalkHazards() {
    for (const char* name : {"a/f1", "a/f2", "a/b/g", "c/h", "d/e/k", "top"}) {
      dir.writeFile(std::string("t/") + name, name);
    }
    std::filesystem::create_directories(dir / "t/empty");
  }
  std::string root() const { return dir / "t/"; }
  testing::TempDir dir;
};

TEST_F(WalkHazards, OutOfMemoryAnywhereOnThePoolGivesTheEntriesBeforeItThenTheFailure) {
  TouchingFileSystem clean([](const std::string&, DirEntry&) {});
  OrderedWalk cleanWalk(clean, root(), '/');
  bool failed = false;
  const std::vector<Taken> whole = takeAll(cleanWalk, failed);
  ASSERT_FALSE(failed);
  // Memory runs out at the n-th allocation after each entry is listed: in the listing, in
  // the subfolder's record, in a block handed over, in the last one.
  for (const char* at : {"a", "b", "f1", "top", "e", "k", "empty"}) {
    for (int n = 1; n <= 12; ++n) {
      SCOPED_TRACE(std::string(at) + ", allocation " + std::to_string(n));
      TouchingFileSystem failing([&](const std::string&, DirEntry& entry) {
        if (entry.name == at) allocationsUntilFailure = n;
      });
      WalkOptions options;
      options.threads = 2;
      OrderedWalk walk(failing, root(), '/', options);
      const std::vector<Taken> taken = takeAll(walk, failed);
      ASSERT_LE(taken.size(), whole.size());
      EXPECT_EQ(taken, std::vector<Taken>(whole.begin(), whole.begin() + taken.size()));
      EXPECT_TRUE(failed || taken.size() == whole.size());
    }
  }
}

TEST_F(WalkHazards, AnyFileSizeArrivesAsAFileAndWhatCannotBeReadIsNamed) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  const std::vector<std::uint64_t> sizes{kMost, kMost - 1, kMost - 2, kMost - 3, kMost - 4, 7};
  std::size_t next = 0;
  const TouchingFileSystem::Touch touch = [&](const std::string& folder, DirEntry& entry) {
    if (entry.isDirectory) return;
    if (entry.name == "k") entry.error = winerr::kAccessDenied;
    // One walk thread: the files come in the order of the listing.
    if (folder.ends_with("/t/a/")) entry.size = sizes[next++ % sizes.size()];
  };
  TouchingFileSystem odd(touch, root() + "c/");
  for (const char* name : {"a/f3", "a/f4", "a/f5", "a/f6"}) {
    dir.writeFile(std::string("t/") + name, "x");
  }
  WalkOptions options;
  options.threads = 1;
  OrderedWalk walk(odd, root(), '/', options);
  std::vector<std::uint64_t> seen;
  std::size_t folders = 0;
  for (WalkEntry entry; walk.next(entry);) {
    if (entry.kind == WalkEntry::Kind::File && entry.size > 100) seen.push_back(entry.size);
    folders += entry.kind == WalkEntry::Kind::Folder ? 1 : 0;
  }
  EXPECT_EQ(folders, 6u);
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::uint64_t>{kMost - 4, kMost - 3, kMost - 2, kMost - 1, kMost}));
  EXPECT_EQ(walk.unread().summary(), "1 folder and 1 file could not be read");
  ASSERT_EQ(walk.unread().named().size(), 2u);
  EXPECT_EQ(walk.unread().named()[0].path, root() + "c/");
  EXPECT_EQ(walk.unread().named()[1].path, root() + "d/e/k");
  EXPECT_EQ(walk.unread().named()[1].reason, "File access denied");
}

}  // namespace
}  // namespace brimwell::walk
