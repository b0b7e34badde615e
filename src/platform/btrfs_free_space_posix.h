// Btrfs's free space, read from its extent tree (the tree-search ioctl, administrator only).
//
// Btrfs hands its devices out in large block groups, each for data or for metadata, as they
// fill. Where a new file's data can go is a free range inside a data block group; device
// space in no block group yet is unallocated, counted apart, since it may still become
// metadata. Addresses are Btrfs's logical ones, which map onto the devices group by group.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/volume.h"
#include "platform/volume_layout.h"

namespace brimwell {

// Whether the open file or folder `fd` lies on Btrfs.
bool onBtrfs(int fd);

// The free ranges inside the data block groups of the Btrfs volume holding `fd`, in logical
// order, adjacent ones merged; only `physical` and `length` are set.
Expected<std::vector<Extent>> readBtrfsFreeExtents(int fd);

// Its metadata block groups (the space-info ioctl, open to every user); copies 0 where data
// and metadata share their groups.
Expected<MetadataGroups> readBtrfsMetadataGroups(int fd);

// The bytes of the volume's devices that no block group holds.
Expected<std::uint64_t> readBtrfsUnallocatedBytes(int fd);

}  // namespace brimwell
