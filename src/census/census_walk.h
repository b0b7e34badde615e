// One census of a location: the counters it keeps and the walk that fills them.
//
// The location is walked twice. The counting walk (ScanPass 0) counts files and folders
// and asks the listing for no sizes; the classifying walk (ScanPass 1) puts every file
// into the first size row whose threshold is at least the file's size. Entries are taken
// in the order the file system lists them and folders are descended into as they are met.
//
// When the file system allows listings on several threads at once, every folder is listed
// once, on a pool of threads (OrderedWalk): the counting walk takes the entries from there
// and keeps them (8 bytes each, up to kMaxKeptEntries), and the classifying walk takes the
// kept entries again: the same entries in the same order, so the counts, pumps, progress
// and texts are those of a walk that lists again. A location with more entries than that is
// listed again by the classifying walk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/byte_total.h"
#include "app/context.h"
#include "app/outcome.h"
#include "walk/unread_paths.h"

namespace brimwell::walk {
class OrderedWalk;
}

namespace brimwell::census {

class Census {
 public:
  explicit Census(Context& context) : context_(context) {}

  // The whole census of the location in the field `scanpath`, with its notices, status
  // texts and progress.
  Outcome analyseClick();
  // Walks the folder `path` and every folder below it, acting on the counters and the
  // template according to ScanPass. A folder that cannot be listed counts as empty, and is
  // noted in `unread`, as is a file whose size could not be read.
  void ScanFolder(const std::string& path);

  std::uint8_t ScanPass = 0;      // 0 counting, 1 classifying
  std::int32_t TotalFiles = 0;    // files found by the counting walk
  std::int32_t TotalFolders = 0;  // folders found by the counting walk
  std::int32_t FilesDone = 0;     // files classified so far
  ByteTotal TotalSize = 0;        // sum of the sizes of the files classified
  walk::UnreadPaths unread;       // what the walks could not read

 private:
  // `folder` ends in a separator; it is extended for each subfolder and restored.
  // `root`: the location itself, not a folder met in a listing.
  void walk(std::string& folder, bool root);
  // The counting walk over the pool's entries; keeps them in `kept` (a file's size, or
  // kNotAFile), and returns false, keeping none, when there were more than kMaxKeptEntries.
  bool countWalked(walk::OrderedWalk& walk, std::vector<std::uint64_t>& kept);
  // The classifying walk over the entries the counting walk kept.
  void classifyKept(const std::vector<std::uint64_t>& kept);
  // `path` with the separator appended unless it ends in one.
  std::string folderPath(const std::string& path) const;
  void classify(std::uint64_t listedSize);
  std::size_t rowFor(std::int64_t size);
  std::string summary() const;

  // A size row's threshold as parsed from its caption's text, and its count as last read
  // or written.
  struct Threshold {
    std::string text;
    std::int64_t value = 0;
    bool parsed = false;
    std::int64_t count = 0;
    bool countKnown = false;
  };

  static constexpr std::size_t kMaxKeptEntries = std::size_t{1} << 24;  // 128 MiB
  static constexpr std::uint64_t kNotAFile = ~std::uint64_t{0};         // a folder, "." or ".."

  Context& context_;
  int shownProgress_ = -1;
  std::vector<Threshold> thresholds_;
  // The size table's change count when the census last wrote it: while it is unchanged,
  // no one else has edited a caption or a count, and what was parsed holds.
  std::optional<std::uint64_t> sizesSeen_;
};

}  // namespace brimwell::census
