// Volume layout on Linux: statvfs, FS_IOC_FIEMAP for a file's extents and FS_IOC_GETFSMAP
// for the free space (ext4 and XFS report it, to the administrator only).
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <linux/fsmap.h>
#include <sys/ioctl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

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

std::string errnoText(int error) { return std::strerror(error); }

// Why an ioctl the file system may lack was refused.
std::string unsupportedWhy(const char* what, int error) {
  if (error == ENOTTY || error == EOPNOTSUPP || error == EINVAL) {
    return std::string("the file system does not report ") + what;
  }
  if (error == EPERM || error == EACCES) return std::string(what) + " needs root";
  return std::string(what) + ": " + errnoText(error);
}

// Appends `next`, merged into the last extent when it continues it.
void appendMerged(std::vector<Extent>& out, const Extent& next, bool logicalToo) {
  if (!out.empty()) {
    Extent& last = out.back();
    const bool physical = last.physical + last.length == next.physical;
    const bool logical = !logicalToo || last.logical + last.length == next.logical;
    if (physical && logical) {
      last.length += next.length;
      return;
    }
  }
  out.push_back(next);
}

// Opens a file to read its map without touching its access time (allowed to its owner).
int openForReading(const std::string& path) {
  const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC;
  const int fd = ::open(path.c_str(), flags | O_NOATIME);
  if (fd >= 0 || errno != EPERM) return fd;
  return ::open(path.c_str(), flags);
}

}  // namespace

bool readVolumeSpace(const std::string& path, VolumeSpace& out, std::string& why) {
  struct statvfs info {};
  if (::statvfs(path.c_str(), &info) != 0) {
    why = "cannot read the volume of " + path + ": " + errnoText(errno);
    return false;
  }
  const std::uint64_t unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
  out.totalBytes = static_cast<std::uint64_t>(info.f_blocks) * unit;
  out.freeBytes = static_cast<std::uint64_t>(info.f_bfree) * unit;
  out.availableBytes = static_cast<std::uint64_t>(info.f_bavail) * unit;
  out.blockSize = static_cast<std::uint32_t>(unit);
  return true;
}

ExtentsAnswer readFileExtents(const std::string& path, std::vector<Extent>& out, std::string& why) {
  out.clear();
  const FileDescriptor file(openForReading(path));
  if (file.get() < 0) {
    why = "cannot open " + path + ": " + errnoText(errno);
    return ExtentsAnswer::FileUnreadable;
  }
  constexpr unsigned kBatch = 64;
  const std::size_t bytes = sizeof(fiemap) + kBatch * sizeof(fiemap_extent);
  const auto buffer = std::make_unique<std::uint64_t[]>(bytes / sizeof(std::uint64_t) + 1);
  auto* map = reinterpret_cast<fiemap*>(buffer.get());
  std::uint64_t start = 0;
  for (;;) {
    std::memset(map, 0, bytes);
    map->fm_start = start;
    map->fm_length = FIEMAP_MAX_OFFSET - start;
    map->fm_flags = FIEMAP_FLAG_SYNC;
    map->fm_extent_count = kBatch;
    if (::ioctl(file.get(), FS_IOC_FIEMAP, map) != 0) {
      why = unsupportedWhy("file extents", errno);
      return ExtentsAnswer::NotReported;
    }
    if (map->fm_mapped_extents == 0) return ExtentsAnswer::Read;
    bool last = false;
    for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
      const fiemap_extent& record = map->fm_extents[i];
      appendMerged(out, {record.fe_logical, record.fe_physical, record.fe_length}, true);
      start = record.fe_logical + record.fe_length;
      last = last || (record.fe_flags & FIEMAP_EXTENT_LAST) != 0;
    }
    if (last) return ExtentsAnswer::Read;
  }
}

bool readFreeExtents(const std::string& path, std::vector<Extent>& out, std::string& why) {
  out.clear();
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    why = "cannot open " + path + ": " + errnoText(errno);
    return false;
  }
  // Blocks of files deleted in the running transaction become free when it commits.
  ::syncfs(file.get());
  constexpr unsigned kBatch = 1024;
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
      why = unsupportedWhy("free-space extents", errno);
      return false;
    }
    if (head->fmh_entries == 0) return true;
    for (unsigned i = 0; i < head->fmh_entries; ++i) {
      const fsmap& record = head->fmh_recs[i];
      if (record.fmr_owner == FMR_OWN_FREE) {
        appendMerged(out, {0, record.fmr_physical, record.fmr_length}, false);
      }
    }
    const fsmap& last = head->fmh_recs[head->fmh_entries - 1];
    if ((last.fmr_flags & FMR_OF_LAST) != 0) return true;
    fsmap_advance(head);
  }
}

}  // namespace brimwell
