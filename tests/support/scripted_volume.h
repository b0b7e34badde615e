// A volume made of a script, for testing what the operations do with a volume without root,
// loop devices or a particular file system: its size, block size and type are set by the
// test, and it keeps its own books of the files written through files(), a file system over
// a real one that tells it what is created, written, placed and deleted (placed in the books
// only).
//
// From those books it answers as a file system would: the used space is what was used before
// (`usedBefore`) plus every file's size in whole blocks and a block for every folder made;
// a file's extents are its pieces, cut where reserve() placed a range, and a share of the
// cuts (`breakShare`) lie apart from the piece before, the others right after it, as a real
// allocator sometimes puts a placed piece back where its predecessor ended. Anything can be
// scripted to fail with a reason.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/volume.h"

namespace brimwell::testing {

class ScriptedVolume : public Volume {
 public:
  // A volume of `totalBytes` in blocks of `blockSize` bytes, on `mountPoint`.
  ScriptedVolume(std::uint64_t totalBytes, std::uint32_t blockSize,
                 std::string mountPoint = "/mnt/scripted");

  // The script.
  std::uint64_t usedBefore = 0;         // bytes used by files this volume was not told of
  bool foldersTakeBlocks = true;        // false: as tmpfs
  std::string fileSystem = "scripted";  // the type space() names
  double breakShare = 1.0;              // of a file's placed cuts, the share that are breaks
  // Of the joins of a file written with no range placed, the share the file system breaks
  // of its own when the volume is full; as much less as the volume was emptier when the file
  // was made.
  double ownBreakShare = 0.0;
  VolumeAbilities answeredAbilities{FileExtentMap::Extents, "", RangePlacement::Allocate,
                                    FreeExtentMap::Readable};
  // Where metadata is kept in groups of its own (copies != 0), as Btrfs keeps it: the used
  // space counts its copies and reserve beside the files' blocks, and the space free to data
  // is what neither the files nor the groups hold.
  MetadataGroups metadataGroups;
  std::vector<Extent> freeMap;                // what freeExtents() answers
  std::optional<std::string> spaceRefusal;    // space() fails with it
  std::optional<std::string> freeRefusal;     // freeExtents() fails with it
  std::optional<std::string> extentsRefusal;  // every file's extents are not reported

  // A file system over `real` that keeps this volume's books. Placed ranges are placed.
  FileSystem& files(FileSystem& real);

  // What it was asked.
  int settles = 0;
  std::uint64_t usedBytes() const;

  Expected<VolumeSpace> space(const std::string& path) override;
  void settle(const std::string& path) override;
  std::unique_ptr<ExtentReader> extentReader(bool placesWanted) override;
  Expected<std::vector<Extent>> freeExtents(const std::string& path) override;
  Expected<std::uint64_t> unallocatedBytes(const std::string& path) override;
  VolumeAbilities abilities(const std::string& path) override;

  // The books, kept by files().
  struct FileBooks {
    std::uint64_t size = 0;
    std::vector<std::uint64_t> cuts;  // starts of placed ranges, other than 0
    double fullness = 0;              // the used share of the volume when it was made
    bool placed = false;              // a range of it was placed
  };
  void created(const std::string& path) {
    files_[path] = {0, {}, static_cast<double>(usedBytes()) / static_cast<double>(totalBytes_)};
  }
  void grown(const std::string& path, std::uint64_t end);
  void placed(const std::string& path, std::uint64_t offset, std::uint64_t size);
  void deleted(const std::string& path) { files_.erase(path); }
  void renamed(const std::string& from, const std::string& to);
  // The file `path` is opened to grow: what is written next is a piece of its own. Returns
  // its size.
  std::uint64_t appended(const std::string& path);
  void folderMade() { ++folders_; }
  // The extents the books give the file `path` and its size; false when it is not on them.
  bool extentsOf(const std::string& path, std::vector<Extent>& extents, std::uint64_t& size) const;

 private:
  std::uint64_t totalBytes_;
  std::uint32_t blockSize_;
  std::string mountPoint_;
  std::map<std::string, FileBooks> files_;
  std::int64_t folders_ = 0;
  std::unique_ptr<FileSystem> bookkeeper_;
};

}  // namespace brimwell::testing
