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

Failure refused(int error) {
  if (error == EPERM || error == EACCES) {
    return Failure("file extents need root where the file system maps one block at a time");
  }
  if (error == EINVAL || error == ENOTTY || error == EOPNOTSUPP) {
    return Failure("the file system does not report file extents");
  }
  return Failure("file extents", std::nullopt, systemError(error));
}

}  // namespace

Expected<FileMap> readExtentsBlockByBlock(int fd, std::uint64_t size, std::uint64_t statBytes,
                                          std::vector<Extent>& out) {
  out.clear();
  if (fuseWithoutDevice(fd)) {
    return FileMap(
        size, Failure("a FUSE file system without a block device does not tell where files lie"));
  }
  int blockSize = 0;
  if (::ioctl(fd, FIGETBSZ, &blockSize) != 0 || blockSize <= 0) {
    return FileMap(size, refused(errno));
  }
  const std::uint64_t unit = static_cast<std::uint64_t>(blockSize);
  const std::uint64_t blocks = (size + unit - 1) / unit;
  if (blocks > static_cast<std::uint64_t>(INT_MAX) + 1) {
    return Failure("the file is too large to map one block at a time");
  }
  for (std::uint64_t index = 0; index < blocks; ++index) {
    int block = static_cast<int>(index);
    if (::ioctl(fd, FIBMAP, &block) != 0) {
      out.clear();
      return FileMap(size, refused(errno));
    }
    if (block == 0) continue;  // a hole, or a block the file system could not place
    appendMerged(out, {index * unit, static_cast<std::uint64_t>(block) * unit, unit}, true);
  }
  if (!out.empty() || statBytes == 0) return FileMap(size);
  // Kept inside its file record, or placed where the file system does not say (compressed or
  // encrypted).
  return FileMap(size, statBytes < unit ? FilePlace::Resident : FilePlace::Unknown);
}

}  // namespace brimwell
