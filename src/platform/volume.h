// What the operations ask of a volume, and nothing more: its size and used share, settling
// what is pending, the extents of files and of the free space, its file-system type, and
// what this user can do there. The operations reach a volume only through a Volume (in
// Context), so tests can put a scripted one in its place.
//
// Paths are native paths of anything on the volume (a folder or a file). Every figure the
// volume cannot give comes back as a Failure saying, in a few words a user can act on, why
// not (the file system does not report it, it needs administrator rights, ...), with the
// system's error where the system refused. Nothing here writes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/expected.h"

namespace brimwell {

// The size of an NTFS file record as formatting gives it on disks of 512-byte sectors.
constexpr std::uint32_t kNtfsFileRecordBytes = 1024;
// The size of an XFS inode as formatting gives it.
constexpr std::uint32_t kXfsInodeBytes = 512;

// Where a file system keeps its metadata in block groups of its own (Btrfs, unless made with
// data and metadata mixed): a new file's items go there, and a group nearly full takes a new
// one out of the device space no group holds yet, which data can then never have.
struct MetadataGroups {
  std::uint32_t copies = 0;     // copies kept of each metadata byte (2: DUP); 0: not kept apart
  std::uint64_t allocated = 0;  // the bytes its groups hold, one copy
  std::uint64_t used = 0;       // of which in use
  std::uint64_t reserve = 0;    // held back for the file system's own use (Btrfs's global reserve)
};

struct VolumeSpace {
  std::uint64_t totalBytes = 0;
  std::uint64_t freeBytes = 0;       // free for anyone, reserved blocks included
  std::uint64_t availableBytes = 0;  // free for this user
  std::uint32_t blockSize = 0;       // the allocation unit
  std::string mountPoint;            // the folder the volume is mounted on ("/mnt/scratch", "D:\\")
  bool foldersTakeBlocks = true;     // false where folders live in memory only (tmpfs)
  std::string fileSystem;            // its type as the system names it ("ext4", "NTFS"), or ""
  // Where every file and folder takes a record of its own in a table that grows with them
  // (NTFS's master file table), the record's size; 0 where the file system has no such table
  // or sets it out when it is made (ext4's inode tables). A file small enough to fit in what
  // its record leaves keeps its data there and takes no block.
  std::uint32_t fileRecordBytes = 0;
  // Where inodes are made as files and folders are (XFS), an inode's size: each file and folder
  // takes one, and a folder of a few entries keeps them in its inode and takes no block. 0
  // where the inodes are set out when the file system is made (ext4) or kept as records above.
  std::uint32_t inodeBytes = 0;
  MetadataGroups metadataGroups;

  // The bytes in use: everything not free, reserved blocks not counted as free.
  std::uint64_t usedBytes() const { return totalBytes - freeBytes; }
  // `bytes` as a percentage of the volume's size; 0 for a volume of no size.
  double percentOf(std::uint64_t bytes) const {
    return totalBytes == 0 ? 0.0
                           : 100.0 * static_cast<double>(bytes) / static_cast<double>(totalBytes);
  }
  // The used share in percent; nothing for a volume of no size (its share is not known).
  std::optional<double> usedPercent() const {
    if (totalBytes == 0) return std::nullopt;
    return percentOf(usedBytes());
  }
};

// One run of bytes, logical (in the file) and physical (on the volume), in bytes.
struct Extent {
  std::uint64_t logical = 0;
  std::uint64_t physical = 0;
  std::uint64_t length = 0;
};

// What a file's map tells of where its data lies.
enum class FilePlace {
  Mapped,       // its extents are given (none for a file that owns no block)
  Resident,     // its data lives inside its record in the file system's table: no place of its own
  Unknown,      // it owns space, but the file system does not say where (ntfs-3g's compressed and
                // encrypted files)
  NotReported,  // the file system does not tell where files lie (asking again is pointless)
};

// A file's size and what its map tells.
struct FileMap {
  FileMap() = default;
  explicit FileMap(std::uint64_t bytes, FilePlace where = FilePlace::Mapped)
      : size(bytes), place(where) {}
  // A file whose place the file system does not tell, for `why`.
  FileMap(std::uint64_t bytes, Failure why)
      : size(bytes), place(FilePlace::NotReported), notReported(std::move(why)) {}

  std::uint64_t size = 0;
  FilePlace place = FilePlace::Mapped;
  std::optional<Failure> notReported;  // with NotReported: why, in words a user can act on
};

// Reads the extents of files one after another. A reader keeps what consecutive files share
// (the folder last opened, buffers), so it belongs to one walk on one thread at a time: each
// thread of a walk asks the volume for a reader of its own.
class ExtentReader {
 public:
  virtual ~ExtentReader() = default;
  // The extents of the regular file `path` into `out` in logical order, blocks it keeps beyond
  // its end included, with neighbours that continue each other both logically and physically
  // merged into one (so one contiguous file is one extent), and its size and place. A link,
  // pipe, socket or device is not opened: it reads as a file of size 0 without extents. An
  // empty file has no extents unless it keeps blocks. A single block may be given with its
  // place unread (logical and physical 0) where the file's stat proves it is one extent. A
  // file that cannot be read fails: the message is the system's reason in its own words, with
  // the file's path and the system's error. Where it maps no file whole, the blocks are asked
  // one at a time (administrator only).
  virtual Expected<FileMap> read(const std::string& path, std::vector<Extent>& out) = 0;
  // As read(), for a file its folder's listing has just shown to be a regular file: a reader
  // may open it before asking its stat (a link is still never followed, and anything but a
  // regular file, should one have taken its place since, still reads as size 0), and open it
  // through `folderHandle`, the listing's open folder (DirEntry::folderHandle), where that is
  // not -1.
  virtual Expected<FileMap> readListedFile(const std::string& path, std::intptr_t folderHandle,
                                           std::vector<Extent>& out) {
    (void)folderHandle;
    return read(path, out);
  }
};

// How a volume tells where a file's bytes lie.
enum class FileExtentMap {
  None,     // it does not tell (tmpfs, a network share)
  Extents,  // run by run (FIEMAP; the retrieval pointers on Windows)
  Blocks,   // block by block (FIBMAP, to the administrator only: ntfs-3g)
};

// How a range of a file can be given its place on the volume before its data is written
// (WritableFile::reserve).
enum class RangePlacement {
  None,      // not at all: a file goes where the file system puts it when written out
  Allocate,  // placed exactly without writing (fallocate)
  Zeros,     // zeros written into the hole place it (a sparse file on Windows; ntfs-3g)
};

// Whether the free space's extents can be read.
enum class FreeExtentMap {
  None,                // the file system does not report them
  NeedsAdministrator,  // it does, to the administrator only, and this user is not one
  Readable,            // this user can read them
};

// What this user can do on a volume. Learned from the file-system type and the user's
// rights without writing anything: the answers of the calls themselves are final (a reader
// may still find a file it cannot map).
struct VolumeAbilities {
  FileExtentMap fileExtents = FileExtentMap::None;
  std::string fileExtentsWhy;  // with None: why not, in words ("it keeps files in memory ...")
  RangePlacement placement = RangePlacement::None;
  FreeExtentMap freeExtents = FreeExtentMap::None;
  // The file system takes the records of new files (inodes) from the free space, in runs of
  // several blocks (XFS): free space left in single-block holes can refuse a new file while
  // hundreds of megabytes are free.
  bool newFilesNeedFreeRuns = false;
};

// Which methods may run on several threads at once: all of them, each ExtentReader used on
// one thread at a time.
class Volume {
 public:
  virtual ~Volume() = default;

  // Size and free space of the volume holding `path`, and its type (statvfs;
  // GetDiskFreeSpaceExA).
  virtual Expected<VolumeSpace> space(const std::string& path) = 0;

  // Writes out what is pending on the volume holding `path`, so that files just written have
  // their final places and the blocks of files just deleted are free again. Call it before
  // reading space or extents that must show the latest writes (POSIX: syncfs).
  virtual void settle(const std::string& path) = 0;

  // A new reader of files' extents, for one walk on one thread. `placesWanted`: every extent's
  // place is read, even where the reader could tell how many there are without it, for figures
  // that follow the blocks from one file to the next.
  virtual std::unique_ptr<ExtentReader> extentReader(bool placesWanted) = 0;

  // The free extents of the whole volume holding `path`, in physical order, adjacent ones
  // merged; only `physical` and `length` are set.
  virtual Expected<std::vector<Extent>> freeExtents(const std::string& path) = 0;

  // Space of the volume holding `path` that is free yet in no free extent (Btrfs gives its
  // devices out to data and metadata in large groups as they fill). False where the file
  // system keeps no such space, the failure saying so.
  virtual Expected<std::uint64_t> unallocatedBytes(const std::string& path) = 0;

  // What this user can do on the volume holding `path`, told without writing anything.
  virtual VolumeAbilities abilities(const std::string& path) = 0;
};

// The space of the volume holding `path`, for a caller that goes on without it: nothing when
// it cannot be read.
inline std::optional<VolumeSpace> knownSpace(Volume& volume, const std::string& path) {
  Expected<VolumeSpace> space = volume.space(path);
  if (!space) return std::nullopt;
  return std::move(*space);
}

// The volume services of the platform the program was built for; stateless, shared by
// every operation of the process.
Volume& nativeVolume();

}  // namespace brimwell
