// Whether this user can read file extents on a volume, told from its type and the process's
// rights alone, so that nothing has to be written to find out.
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <string>

#include "platform/volume_layout.h"

namespace brimwell {
namespace {

constexpr long kFuse = 0x65735546;

bool hasCapability(int capability) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
  if (::syscall(SYS_capget, &header, data) != 0) return false;
  return (data[capability / 32].effective & (1U << (capability % 32))) != 0;
}

// `path`, or the nearest folder above it that exists.
std::string existingFolder(std::string path) {
  struct stat info {};
  while (!path.empty() && ::stat(path.c_str(), &info) != 0) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const std::size_t slash = path.rfind('/');
    path = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  }
  return path.empty() ? "." : path;
}

}  // namespace

std::optional<std::string> whyFileExtentsUnreadable(const std::string& folder) {
  const std::string existing = existingFolder(folder);
  struct statfs volume {};
  struct stat info {};
  if (::statfs(existing.c_str(), &volume) != 0 || ::stat(existing.c_str(), &info) != 0) {
    return std::nullopt;  // the job itself will say what is wrong with the folder
  }
  if (volume.f_type == TMPFS_MAGIC || volume.f_type == RAMFS_MAGIC) {
    return "it keeps files in memory, where they have no extents";
  }
  if (volume.f_type != kFuse) return std::nullopt;
  if (::major(info.st_dev) == 0) {
    return "a FUSE file system without a block device does not tell where files lie";
  }
  if (!hasCapability(CAP_SYS_RAWIO)) {
    return "it tells where files lie only block by block, and only to root";
  }
  return std::nullopt;
}

}  // namespace brimwell
