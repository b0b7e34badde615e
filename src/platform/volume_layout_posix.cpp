// Volume layout on Linux: statvfs, FS_IOC_FIEMAP for a file's extents (FIBMAP block by block
// where it is not offered) and FS_IOC_GETFSMAP for the free space (ext4 and XFS report it, to
// the administrator only).
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <linux/fsmap.h>
#include <mntent.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/btrfs_free_space_posix.h"
#include "platform/extent_map_fibmap_posix.h"
#include "platform/extent_merge.h"
#include "platform/long_path_posix.h"
#include "platform/system_error.h"
#include "platform/volume_layout.h"

namespace brimwell {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Whether an ioctl failed because the file system does not offer it.
bool declines(int error) { return error == ENOTTY || error == EOPNOTSUPP || error == EINVAL; }

// Why an ioctl the file system may lack was refused: the system's error only where the words
// do not say it already.
Failure unsupported(const char* what, int error) {
  if (declines(error)) return Failure(std::string("the file system does not report ") + what);
  if (error == EPERM || error == EACCES) return Failure(std::string(what) + " needs root");
  return Failure(what, std::nullopt, systemError(error));
}

// A file whose map cannot be read: the system's words for `error`, and the error itself.
Failure unreadable(const std::string& path, int error) {
  return Failure(systemWords(error), path, systemError(error));
}

// "cannot open PATH", with the system's error behind it.
Failure cannotOpen(const std::string& path, int error) {
  return Failure("cannot open " + path, path, systemError(error));
}

constexpr unsigned kMapBatch = 64;  // extents asked for at a time
constexpr unsigned kStatxWanted = STATX_TYPE | STATX_SIZE | STATX_BLOCKS;

// Opens a file to read its map without touching its access time (allowed to its owner).
int openForReading(int folderFd, const char* name) {
  const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  const int fd = ::openat(folderFd, name, flags | O_NOATIME);
  if (fd >= 0 || errno != EPERM) return fd;
  return ::openat(folderFd, name, flags);
}

constexpr long kExt4 = 0xEF53;  // ext2, ext3 and ext4
constexpr long kXfs = 0x58465342;
constexpr long kBtrfs = 0x9123683E;
constexpr long kTmpfs = 0x01021994;
constexpr long kFuse = 0x65735546;

// Whether this process may list every extended attribute a file has: the trusted ones are
// listed to the system's administrator only (CAP_SYS_ADMIN, and not inside a user namespace,
// whose root is an administrator of its own namespace only).
bool listsTrustedAttributes() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
  if (::syscall(SYS_capget, &header, data) != 0) return false;
  if ((data[CAP_SYS_ADMIN / 32].effective & (1U << (CAP_SYS_ADMIN % 32))) == 0) return false;
  std::ifstream users("/proc/self/uid_map");  // the whole range unmapped: no user namespace
  std::uint64_t inside = 1, outside = 1, count = 0;
  return users >> inside >> outside >> count && inside == 0 && outside == 0 && count == 4294967295U;
}

// Whether mount options hide attributes a file may still have (user attributes or access
// lists kept from an earlier mount).
bool hidesAttributes(const std::string& options) {
  const std::string all = "," + options + ",";
  return all.find(",noacl,") != std::string::npos ||
         all.find(",nouser_xattr,") != std::string::npos;
}

// Whether the file at `path` lists no extended attribute at all (a path too long to be
// named whole lists as unknown, so the caller reads the map instead).
bool listsNoAttributes(const std::string& path) {
  return ::llistxattr(path.c_str(), nullptr, 0) == 0;
}

// The folder the volume holding the folder `path` is mounted on: the highest folder of the
// resolved path that still lies on the same device.
std::string mountPointOf(const std::string& path, dev_t device) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  std::string folder = resolved;
  while (folder != "/") {
    const std::size_t slash = folder.find_last_of('/');
    const std::string parent = slash == 0 ? "/" : folder.substr(0, slash);
    struct stat above {};
    if (::stat(parent.c_str(), &above) != 0 || above.st_dev != device) break;
    folder = parent;
  }
  return folder;
}

struct MountEntry {
  std::string type;     // as the system names it ("ext4")
  std::string options;  // comma-separated, the file system's own among them
};

// What the mount table says of the volume mounted on `mountPoint` (the last mount there is
// the one in sight); empty when it is not listed.
MountEntry mountEntryOf(const std::string& mountPoint) {
  MountEntry found;
  FILE* table = ::setmntent("/proc/self/mounts", "r");
  if (table == nullptr) return found;
  mntent entry{};
  char buffer[4096];
  while (::getmntent_r(table, &entry, buffer, sizeof buffer) != nullptr) {
    if (mountPoint == entry.mnt_dir) found = {entry.mnt_type, entry.mnt_opts};
  }
  ::endmntent(table);
  return found;
}

// ntfs-3g mounts as a plain FUSE file system; the master file table it shows at the root
// tells NTFS apart.
bool isNtfsThroughFuse(const std::string& mountPoint, const struct statfs& volume) {
  if (volume.f_type != kFuse) return false;
  struct stat table {};
  return ::stat((mountPoint + "/$MFT").c_str(), &table) == 0 && S_ISREG(table.st_mode);
}

}  // namespace

void settleVolume(const std::string& path) {
  // Delayed allocation places written data only when it is written out, and the blocks of
  // deleted files become free when the running transaction commits.
  const FileDescriptor folder(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (folder.get() >= 0) ::syncfs(folder.get());
}

Expected<VolumeSpace> readVolumeSpace(const std::string& path) {
  struct statvfs info {};
  if (::statvfs(path.c_str(), &info) != 0) {
    return Failure("cannot read the volume of " + path, path, systemError(errno));
  }
  VolumeSpace out;
  const std::uint64_t unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
  out.totalBytes = static_cast<std::uint64_t>(info.f_blocks) * unit;
  out.freeBytes = static_cast<std::uint64_t>(info.f_bfree) * unit;
  out.availableBytes = static_cast<std::uint64_t>(info.f_bavail) * unit;
  out.blockSize = static_cast<std::uint32_t>(unit);
  struct stat here {};
  out.mountPoint = ::stat(path.c_str(), &here) == 0 ? mountPointOf(path, here.st_dev) : path;
  struct statfs volume {};
  out.foldersTakeBlocks = !(::statfs(path.c_str(), &volume) == 0 && volume.f_type == kTmpfs);
  out.fileSystem = mountEntryOf(out.mountPoint).type;
  out.fileRecordBytes = isNtfsThroughFuse(out.mountPoint, volume) ? kNtfsFileRecordBytes : 0;
  out.inodeBytes = volume.f_type == kXfs ? kXfsInodeBytes : 0;
  if (volume.f_type == kBtrfs) {
    // Unread, the groups stay unknown and the planner counts as elsewhere.
    const FileDescriptor opened(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (opened.get() >= 0) {
      if (const Expected<MetadataGroups> groups = readBtrfsMetadataGroups(opened.get())) {
        out.metadataGroups = *groups;
      }
    }
  }
  return out;
}

struct FileExtentReader::State {
  std::string folder;  // the folder `folderFd` is open on, with its trailing separator
  int folderFd = -1;
  bool mapsBlockByBlock = false;  // the volume has declined FIEMAP: FIBMAP is asked instead
  bool reportsExtents = false;    // the volume has answered a map once; then these are known:
  // A file that owns no block has no extent either, whatever its size: ext4 counts data kept
  // inline in the inode in the stat's blocks, and XFS keeps no file data inline. Elsewhere
  // (btrfs, unknown file systems) a small blockless file may still map to one extent.
  bool blocklessHasNoExtent = false;
  // The block size when a file that owns one block and has no extended attribute is one
  // extent of that block, else 0. On ext2/3/4 the stat's blocks are the map's blocks (those
  // past the end included), a sector for every 512 bytes kept inline, the tree blocks of a
  // map too long for the inode (which holds more than one block then) and the one block of
  // attributes that do not fit the inode. Attributes are told by their listing, so this
  // holds only where every one is listed: for the administrator, not for encrypted files
  // (whose key reference is never listed) nor on mounts that hide some, and not on XFS,
  // whose parent pointers are never listed.
  std::uint64_t oneBlockBytes = 0;
  bool placesWanted = false;  // then a single block's place is read too
  std::vector<std::uint64_t> buffer;

  // Learns the rules above from `fd`, a file in `folder` the volume has mapped.
  void learnVolume(int fd) {
    reportsExtents = true;
    struct statfs volume {};
    if (::fstatfs(fd, &volume) != 0) return;
    blocklessHasNoExtent = volume.f_type == kExt4 || volume.f_type == kXfs;
    struct stat file {};
    if (volume.f_type != kExt4 || ::fstat(fd, &file) != 0 || !listsTrustedAttributes()) return;
    const std::string mountPoint = mountPointOf(folder.empty() ? "." : folder, file.st_dev);
    if (!hidesAttributes(mountEntryOf(mountPoint).options)) {
      oneBlockBytes = static_cast<std::uint64_t>(volume.f_bsize);
    }
  }
  // Maps `fd`, whose stat is `info`, one block at a time.
  Expected<FileMap> readByBlock(int fd, const struct statx& info, std::vector<Extent>& out) {
    constexpr std::uint64_t kStatBlock = 512;
    Expected<FileMap> map =
        readExtentsBlockByBlock(fd, info.stx_size, info.stx_blocks * kStatBlock, out);
    if (!(map && map->place == FilePlace::NotReported) && !reportsExtents) learnVolume(fd);
    return map;
  }
  // Opens the folder of `path` unless it is open already, and gives the name to open in it
  // (the whole path where the folder cannot be opened).
  const char* enter(const std::string& path);
  // What the stat of a file alone answers: a link, pipe, socket or device has neither size nor
  // extents, and a file without blocks none where that proves it has none. Nothing where the
  // map must be read.
  std::optional<FileMap> statAnswer(const struct statx& info) const;
  // Reads the map of the open file `fd`, whose stat is `info`.
  Expected<FileMap> map(int fd, const struct statx& info, std::vector<Extent>& out);
  ~State() {
    if (folderFd >= 0) ::close(folderFd);
  }
};

FileExtentReader::FileExtentReader(bool placesWanted) : state_(std::make_unique<State>()) {
  state_->placesWanted = placesWanted;
  constexpr std::size_t kBytes = sizeof(fiemap) + kMapBatch * sizeof(fiemap_extent);
  state_->buffer.resize(kBytes / sizeof(std::uint64_t) + 1);
}

FileExtentReader::~FileExtentReader() = default;

const char* FileExtentReader::State::enter(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view folderOfPath(path.data(), slash == std::string::npos ? 0 : slash + 1);
  if (folderOfPath != folder) {
    if (folderFd >= 0) ::close(folderFd);
    folder.assign(folderOfPath);
    folderFd = openAnyLength(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  return folderFd >= 0 ? path.c_str() + folderOfPath.size() : path.c_str();
}

std::optional<FileMap> FileExtentReader::State::statAnswer(const struct statx& info) const {
  // A link, pipe, socket or device is a file of size 0 without extents, and never opened.
  if (!S_ISREG(info.stx_mode)) return FileMap{};
  const std::uint64_t size = info.stx_size;
  // A file that owns no block has no extent when it is empty or a hole of a block or more (no
  // file system keeps that much inline), or when the volume counts inline data in the blocks.
  if (reportsExtents && info.stx_blocks == 0 &&
      (size == 0 || size >= info.stx_blksize || blocklessHasNoExtent)) {
    return FileMap{size};
  }
  return std::nullopt;
}

Expected<FileMap> FileExtentReader::State::map(int fd, const struct statx& info,
                                               std::vector<Extent>& out) {
  if (mapsBlockByBlock) return readByBlock(fd, info, out);
  const FileMap mapped{info.stx_size};
  auto* map = reinterpret_cast<fiemap*>(buffer.data());
  for (std::uint64_t start = 0;;) {
    const std::uint64_t asked = start;
    std::memset(map, 0, sizeof(fiemap));  // the extents are the kernel's to fill
    map->fm_start = start;
    // The whole file, blocks kept beyond its end included: they are its blocks too.
    map->fm_length = FIEMAP_MAX_OFFSET - start;
    map->fm_flags = 0;
    map->fm_extent_count = kMapBatch;
    if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0) {
      const int error = errno;
      if (asked == 0 && !reportsExtents && declines(error)) {
        mapsBlockByBlock = true;
        return readByBlock(fd, info, out);
      }
      return FileMap(info.stx_size, unsupported("file extents", error));
    }
    if (!reportsExtents) learnVolume(fd);
    if (map->fm_mapped_extents == 0) return mapped;
    bool last = false;
    for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
      const fiemap_extent& record = map->fm_extents[i];
      appendMerged(out, {record.fe_logical, record.fe_physical, record.fe_length}, true);
      start = record.fe_logical + record.fe_length;
      last = last || (record.fe_flags & FIEMAP_EXTENT_LAST) != 0;
    }
    if (last || start <= asked) return mapped;
  }
}

Expected<FileMap> FileExtentReader::read(const std::string& path, std::vector<Extent>& out) {
  out.clear();
  // Opened relative to its folder, which stays open for the folder's next file.
  const char* name = state_->enter(path);
  struct statx info {};
  if (::statx(state_->folderFd >= 0 ? state_->folderFd : AT_FDCWD, name, AT_SYMLINK_NOFOLLOW,
              kStatxWanted, &info) != 0) {
    return unreadable(path, errno);
  }
  // The stat answers where it can, without the open, map and close that cost a census's
  // whole walk three times over.
  if (std::optional<FileMap> answer = state_->statAnswer(info)) return std::move(*answer);
  constexpr std::uint64_t kStatBlock = 512;
  if (state_->oneBlockBytes != 0 && !state_->placesWanted &&
      info.stx_blocks * kStatBlock == state_->oneBlockBytes &&
      (info.stx_attributes_mask & STATX_ATTR_ENCRYPTED) != 0 &&
      (info.stx_attributes & STATX_ATTR_ENCRYPTED) == 0 && listsNoAttributes(path)) {
    out.push_back({0, 0, state_->oneBlockBytes});  // where it lies is not read
    return FileMap{info.stx_size};
  }
  const FileDescriptor file(
      openForReading(state_->folderFd >= 0 ? state_->folderFd : AT_FDCWD, name));
  if (file.get() < 0) return unreadable(path, errno);
  return state_->map(file.get(), info, out);
}

Expected<FileMap> FileExtentReader::readListedFile(const std::string& path,
                                                   std::intptr_t folderHandle,
                                                   std::vector<Extent>& out) {
  // Where a one-block file's stat may answer without the open, the stat comes first.
  if (state_->oneBlockBytes != 0 && !state_->placesWanted) return read(path, out);
  out.clear();
  // Opened first, and its stat asked of the open file: its name is looked up once, not twice.
  // Through the listing's folder, which spares opening the folder again, once the volume's
  // rules are learnt (learning them needs the folder's path, which enter() keeps).
  int folderFd = static_cast<int>(folderHandle);
  const char* name = nullptr;
  if (folderHandle >= 0 && state_->reportsExtents) {
    name = path.c_str() + (path.rfind('/') + 1);  // npos + 1: the whole path
  } else {
    name = state_->enter(path);
    folderFd = state_->folderFd >= 0 ? state_->folderFd : AT_FDCWD;
  }
  const FileDescriptor file(openForReading(folderFd, name));
  // No longer a file that opens (replaced by a link since it was listed, or unreadable): as
  // any path, which says why.
  if (file.get() < 0) return read(path, out);
  struct statx info {};
  if (::statx(file.get(), "", AT_EMPTY_PATH, kStatxWanted, &info) != 0) {
    return unreadable(path, errno);
  }
  if (std::optional<FileMap> answer = state_->statAnswer(info)) return std::move(*answer);
  return state_->map(file.get(), info, out);
}

Expected<std::vector<Extent>> readFreeExtents(const std::string& path) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return cannotOpen(path, errno);
  if (onBtrfs(file.get())) return readBtrfsFreeExtents(file.get());
  std::vector<Extent> out;
  // Each call walks the volume's allocation groups from the key on: a large volume's free
  // extents (tens of thousands) fit a few calls of 8192 records (512 KiB) rather than dozens.
  constexpr unsigned kBatch = 8192;
  const std::size_t bytes = fsmap_sizeof(kBatch);
  const auto buffer = std::make_unique<std::uint64_t[]>(bytes / sizeof(std::uint64_t) + 1);
  auto* head = reinterpret_cast<fsmap_head*>(buffer.get());
  std::memset(head, 0, bytes);
  // The whole volume: from the lowest key to the highest.
  head->fmh_keys[1].fmr_device = ~0U;
  head->fmh_keys[1].fmr_flags = ~0U;
  head->fmh_keys[1].fmr_physical = ~0ULL;
  head->fmh_keys[1].fmr_owner = ~0ULL;
  head->fmh_keys[1].fmr_offset = ~0ULL;
  for (;;) {
    head->fmh_count = kBatch;
    if (::ioctl(file.get(), FS_IOC_GETFSMAP, head) != 0) {
      return unsupported("free-space extents", errno);
    }
    if (head->fmh_entries == 0) return out;
    for (unsigned i = 0; i < head->fmh_entries; ++i) {
      const fsmap& record = head->fmh_recs[i];
      if (record.fmr_owner == FMR_OWN_FREE) {
        appendMerged(out, {0, record.fmr_physical, record.fmr_length}, false);
      }
    }
    const fsmap& last = head->fmh_recs[head->fmh_entries - 1];
    if ((last.fmr_flags & FMR_OF_LAST) != 0) return out;
    fsmap_advance(head);
  }
}

VolumeAbilities readVolumeAbilities(const std::string& path) {
  VolumeAbilities abilities;
  if (std::optional<std::string> why = whyFileExtentsUnreadable(path)) {
    abilities.fileExtentsWhy = std::move(*why);
  } else {
    abilities.fileExtents = FileExtentMap::Extents;
  }
  abilities.placement = RangePlacement::Allocate;
  struct statfs volume {};
  if (::statfs(path.c_str(), &volume) != 0) return abilities;
  switch (volume.f_type) {
    case kExt4:
    case kXfs:
    case kBtrfs:
      // GETFSMAP, and Btrfs's tree search, answer the administrator only.
      abilities.freeExtents =
          listsTrustedAttributes() ? FreeExtentMap::Readable : FreeExtentMap::NeedsAdministrator;
      abilities.newFilesNeedFreeRuns = volume.f_type == kXfs;
      break;
    case kFuse:  // ntfs-3g: block by block (FIBMAP), and no fallocate
      if (abilities.fileExtents == FileExtentMap::Extents) {
        abilities.fileExtents = FileExtentMap::Blocks;
      }
      abilities.placement = RangePlacement::Zeros;
      break;
    case 0x4D44:      // FAT: fallocate only keeps the size
    case 0x2011BAB0:  // exFAT
    case 0x858458F6:  // ramfs
      abilities.placement = RangePlacement::Zeros;
      break;
    default:
      break;
  }
  return abilities;
}

Expected<std::uint64_t> readUnallocatedBytes(const std::string& path) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return cannotOpen(path, errno);
  if (onBtrfs(file.get())) return readBtrfsUnallocatedBytes(file.get());
  return Failure("the file system keeps no unallocated space apart");
}

}  // namespace brimwell
