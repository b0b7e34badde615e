#include <endian.h>
#include <linux/btrfs.h>
#include <linux/btrfs_tree.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/statfs.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/btrfs_free_space_posix.h"
#include "platform/extent_merge.h"
#include "platform/system_error.h"

namespace brimwell {
namespace {

struct Range {
  std::uint64_t start = 0;
  std::uint64_t length = 0;
};

// What the tree search found: the data block groups and every allocated range, each in
// logical order.
struct ExtentTree {
  std::vector<Range> dataGroups;
  std::vector<Range> allocated;
  bool anyGroup = false;
};

Failure searchRefused(int error) {
  if (error == EPERM || error == EACCES) return Failure("free-space extents need root on Btrfs");
  return Failure("free-space extents: the Btrfs tree search failed", std::nullopt,
                 systemError(error));
}

// Moves `key` just past the item (objectid, type, offset), in the tree's key order.
void advancePast(btrfs_ioctl_search_key& key, std::uint64_t objectid, std::uint32_t type,
                 std::uint64_t offset) {
  key.min_objectid = objectid;
  key.min_type = type;
  key.min_offset = offset + 1;
  if (offset != ~0ULL) return;
  key.min_offset = 0;
  if (++key.min_type <= 0xFF) return;
  key.min_type = 0;
  ++key.min_objectid;
}

// Reads the items of tree `treeId` that say where space is taken and which groups hold data;
// the system's error when the search is refused, 0 otherwise.
int searchTree(int fd, std::uint64_t treeId, std::uint32_t nodeSize, ExtentTree& tree) {
  const auto args = std::make_unique<btrfs_ioctl_search_args>();
  btrfs_ioctl_search_key& key = args->key;
  std::memset(&key, 0, sizeof key);
  key.tree_id = treeId;
  key.max_objectid = ~0ULL;
  key.max_type = 0xFF;
  key.max_offset = ~0ULL;
  key.max_transid = ~0ULL;
  for (;;) {
    key.nr_items = 4096;
    if (::ioctl(fd, BTRFS_IOC_TREE_SEARCH, args.get()) != 0) return errno;
    if (key.nr_items == 0) return 0;
    std::size_t at = 0;
    btrfs_ioctl_search_header header{};
    for (std::uint32_t i = 0; i < key.nr_items; ++i) {
      std::memcpy(&header, args->buf + at, sizeof header);
      at += sizeof header;
      if (header.type == BTRFS_EXTENT_ITEM_KEY) {
        tree.allocated.push_back({header.objectid, header.offset});
      } else if (header.type == BTRFS_METADATA_ITEM_KEY) {
        tree.allocated.push_back({header.objectid, nodeSize});  // the offset is its level
      } else if (header.type == BTRFS_BLOCK_GROUP_ITEM_KEY &&
                 header.len >= sizeof(btrfs_block_group_item)) {
        tree.anyGroup = true;
        btrfs_block_group_item group{};
        std::memcpy(&group, args->buf + at, sizeof group);
        if ((le64toh(group.flags) & BTRFS_BLOCK_GROUP_DATA) != 0) {
          tree.dataGroups.push_back({header.objectid, header.offset});
        }
      }
      at += header.len;
    }
    advancePast(key, header.objectid, header.type, header.offset);
    if (key.min_objectid == 0 && key.min_type == 0 && key.min_offset == 0) return 0;
  }
}

}  // namespace

bool onBtrfs(int fd) {
  struct statfs volume {};
  return ::fstatfs(fd, &volume) == 0 && volume.f_type == static_cast<long>(BTRFS_SUPER_MAGIC);
}

Expected<std::vector<Extent>> readBtrfsFreeExtents(int fd) {
  btrfs_ioctl_fs_info_args info{};
  if (::ioctl(fd, BTRFS_IOC_FS_INFO, &info) != 0) return searchRefused(errno);
  ExtentTree tree;
  if (const int error = searchTree(fd, BTRFS_EXTENT_TREE_OBJECTID, info.nodesize, tree)) {
    return searchRefused(error);
  }
  // Volumes made with a tree of their own for the block groups keep them there.
  if (!tree.anyGroup) {
    if (const int error = searchTree(fd, BTRFS_BLOCK_GROUP_TREE_OBJECTID, info.nodesize, tree)) {
      return searchRefused(error);
    }
  }
  std::vector<Extent> out;
  const auto byStart = [](const Range& a, const Range& b) { return a.start < b.start; };
  std::sort(tree.dataGroups.begin(), tree.dataGroups.end(), byStart);
  std::sort(tree.allocated.begin(), tree.allocated.end(), byStart);
  auto taken = tree.allocated.begin();
  for (const Range& group : tree.dataGroups) {
    const std::uint64_t end = group.start + group.length;
    std::uint64_t cursor = group.start;
    taken = std::lower_bound(taken, tree.allocated.end(), group, byStart);
    for (; taken != tree.allocated.end() && taken->start < end; ++taken) {
      if (taken->start > cursor) appendMerged(out, {0, cursor, taken->start - cursor}, false);
      cursor = std::max(cursor, taken->start + taken->length);
    }
    if (cursor < end) appendMerged(out, {0, cursor, end - cursor}, false);
  }
  return out;
}

Expected<MetadataGroups> readBtrfsMetadataGroups(int fd) {
  // The answer ends in as many records as it is given slots for: asked first with none, it
  // says how many there are. Kept in 64-bit words, as the records' fields are.
  std::vector<std::uint64_t> words;
  const auto ask = [&](std::uint64_t slots) -> const btrfs_ioctl_space_args* {
    words.assign((sizeof(btrfs_ioctl_space_args) + slots * sizeof(btrfs_ioctl_space_info)) /
                         sizeof(std::uint64_t) +
                     1,
                 0);
    auto* asked = reinterpret_cast<btrfs_ioctl_space_args*>(words.data());
    asked->space_slots = slots;
    return ::ioctl(fd, BTRFS_IOC_SPACE_INFO, asked) == 0 ? asked : nullptr;
  };
  const btrfs_ioctl_space_args* counted = ask(0);
  const btrfs_ioctl_space_args* args = counted == nullptr ? nullptr : ask(counted->total_spaces);
  if (args == nullptr) return Failure("metadata block groups", std::nullopt, systemError(errno));
  MetadataGroups out;
  bool mixed = false;
  for (std::uint64_t i = 0; i < std::min(args->total_spaces, args->space_slots); ++i) {
    const btrfs_ioctl_space_info& space = args->spaces[i];
    if ((space.flags & BTRFS_SPACE_INFO_GLOBAL_RSV) != 0) {
      out.reserve = space.total_bytes;
    } else if ((space.flags & BTRFS_BLOCK_GROUP_METADATA) != 0) {
      mixed = mixed || (space.flags & BTRFS_BLOCK_GROUP_DATA) != 0;
      const std::uint64_t profile = space.flags & BTRFS_BLOCK_GROUP_PROFILE_MASK;
      out.copies = (profile & BTRFS_BLOCK_GROUP_RAID1C4) != 0   ? 4
                   : (profile & BTRFS_BLOCK_GROUP_RAID1C3) != 0 ? 3
                   : (profile & (BTRFS_BLOCK_GROUP_DUP | BTRFS_BLOCK_GROUP_RAID1 |
                                 BTRFS_BLOCK_GROUP_RAID10)) != 0
                       ? 2
                       : 1;
      out.allocated += space.total_bytes;
      out.used += space.used_bytes;
    }
  }
  if (mixed) out.copies = 0;
  return out;
}

Expected<std::uint64_t> readBtrfsUnallocatedBytes(int fd) {
  btrfs_ioctl_fs_info_args info{};
  if (::ioctl(fd, BTRFS_IOC_FS_INFO, &info) != 0) return searchRefused(errno);
  std::uint64_t bytes = 0;
  for (std::uint64_t id = 1; id <= info.max_id; ++id) {
    btrfs_ioctl_dev_info_args device{};
    device.devid = id;
    if (::ioctl(fd, BTRFS_IOC_DEV_INFO, &device) != 0) {
      if (errno == ENODEV) continue;  // a device removed earlier leaves its number unused
      return Failure("unallocated space", std::nullopt, systemError(errno));
    }
    bytes += device.total_bytes - std::min(device.bytes_used, device.total_bytes);
  }
  return bytes;
}

}  // namespace brimwell
