// The platform's volume calls behind nativeVolume(): where a volume keeps a file's bytes and
// its free space, as the operating system tells it. Only platform/ uses them directly.
//
// Paths are native paths. Every call answers what it can and otherwise a Failure saying, in a
// few words a user can act on, why the figure is not available (the file system does not
// report it, it needs administrator rights, ...), with the system's error where the system
// refused. Nothing here writes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/volume.h"

namespace brimwell {

// Size and free space of the volume holding `path` (statvfs; GetDiskFreeSpaceExA).
Expected<VolumeSpace> readVolumeSpace(const std::string& path);

// Writes out what is pending on the volume holding `path`, so that files just written have
// their final places and the blocks of files just deleted are free again. Call it once
// before reading extents (POSIX: syncfs; Windows allocates at once and needs nothing).
void settleVolume(const std::string& path);

// Reads the extents of files one after another, keeping what consecutive files share (the
// folder last opened, the buffers, the volume's allocation unit), so a walk pays for them
// once per folder rather than once per file.
class FileExtentReader final : public ExtentReader {
 public:
  // `placesWanted`: every extent's place is read, even where the stat proves how many there
  // are (see read()), for figures that follow the blocks from one file to the next.
  explicit FileExtentReader(bool placesWanted = false);
  ~FileExtentReader() override;
  FileExtentReader(const FileExtentReader&) = delete;
  FileExtentReader& operator=(const FileExtentReader&) = delete;

  // The extents of the regular file `path` in logical order, blocks it keeps beyond its end
  // included, with neighbours that continue each other both logically and physically merged
  // into one (so one contiguous file is one extent, whatever the file system's own record
  // size), and its size in bytes. A link, pipe, socket or device is not opened: it reads as
  // a file of size 0 without extents. An empty file has no extents unless it keeps blocks.
  // Where the file's stat proves the answer (no block, or a single block on a volume whose
  // stat shows it can only be the file's) it is not opened: a single block is then given
  // with its place unread (logical and physical 0), unless places are wanted. A file that
  // cannot be read fails with the system's reason; where the file system does not tell, the
  // place is NotReported (asking again is pointless). Where it maps no file whole, the blocks
  // are asked one at a time (administrator only).
  Expected<FileMap> read(const std::string& path, std::vector<Extent>& out) override;
#ifndef _WIN32
  // Opens the file first and asks the open file its stat, unless a single block's stat may
  // spare the open (places not wanted): one look-up of its name instead of two. Opened
  // through the listing's folder where it is given, once the volume's rules are learnt.
  Expected<FileMap> readListedFile(const std::string& path, std::intptr_t folderHandle,
                                   std::vector<Extent>& out) override;
#endif

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// (POSIX) Why this user cannot read the extents of files written in `folder` (or, where it does
// not exist yet, in the nearest folder above it), told without writing anything: on tmpfs, on
// FUSE file systems without a block device, and on those with one (ntfs-3g) for anyone but
// root. Nothing where they can be read, or where it cannot be told in advance: the extents
// read afterwards will say.
std::optional<std::string> whyFileExtentsUnreadable(const std::string& folder);

// The free extents of the whole volume holding `path`, in physical order, adjacent ones
// merged; only `physical` and `length` are set. On Btrfs: the free ranges inside its data
// block groups, by its logical addresses (which map onto the device group by group, so
// their distances say little beyond one group).
Expected<std::vector<Extent>> readFreeExtents(const std::string& path);

// Device space of the volume holding `path` that no block group holds yet (Btrfs gives its
// devices out to data and metadata in large groups as they fill): free, yet in no free
// extent. A failure where the file system keeps no such space, saying so.
Expected<std::uint64_t> readUnallocatedBytes(const std::string& path);

// What this user can do on the volume holding `path` (see VolumeAbilities).
VolumeAbilities readVolumeAbilities(const std::string& path);

}  // namespace brimwell
