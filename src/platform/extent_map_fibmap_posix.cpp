#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/extent_map_fibmap_posix.h"
#include "platform/extent_merge.h"
#include "platform/system_error.h"

namespace brimwell {
namespace {

constexpr long kFuse = 0x65735546;

// A FUSE file system mounted without a block device answers block 0 for everything.
bool fuseWithoutDevice(int fd) {
  struct statfs volume {};
  struct stat file {};
  return ::fstatfs(fd, &volume) == 0 && volume.f_type == kFuse && ::fstat(fd, &file) == 0 &&
         ::major(file.st_dev) == 0;
}

std::string refusedWhy(int error) {
  if (error == EPERM || error == EACCES) {
    return "file extents need root where the file system maps one block at a time";
  }
  if (error == EINVAL || error == ENOTTY || error == EOPNOTSUPP) {
    return "the file system does not report file extents";
  }
  return std::string("file extents: ") + systemWords(error);
}

}  // namespace

ExtentsAnswer readExtentsBlockByBlock(int fd, std::uint64_t size, std::uint64_t statBytes,
                                      std::vector<Extent>& out, std::string& why) {
  out.clear();
  if (fuseWithoutDevice(fd)) {
    why = "a FUSE file system without a block device does not tell where files lie";
    return ExtentsAnswer::NotReported;
  }
  int blockSize = 0;
  if (::ioctl(fd, FIGETBSZ, &blockSize) != 0 || blockSize <= 0) {
    why = refusedWhy(errno);
    return ExtentsAnswer::NotReported;
  }
  const std::uint64_t unit = static_cast<std::uint64_t>(blockSize);
  const std::uint64_t blocks = (size + unit - 1) / unit;
  if (blocks > static_cast<std::uint64_t>(INT_MAX) + 1) {
    why = "the file is too large to map one block at a time";
    return ExtentsAnswer::FileUnreadable;
  }
  for (std::uint64_t index = 0; index < blocks; ++index) {
    int block = static_cast<int>(index);
    if (::ioctl(fd, FIBMAP, &block) != 0) {
      why = refusedWhy(errno);
      out.clear();
      return ExtentsAnswer::NotReported;
    }
    if (block == 0) continue;  // a hole, or a block the file system could not place
    appendMerged(out, {index * unit, static_cast<std::uint64_t>(block) * unit, unit}, true);
  }
  if (!out.empty() || statBytes == 0) return ExtentsAnswer::Read;
  if (statBytes < unit) {
    why = "kept inside its file record";
    return ExtentsAnswer::Resident;
  }
  why = "the file system does not tell where it lies (compressed or encrypted)";
  return ExtentsAnswer::PlaceUnknown;
}

}  // namespace brimwell
