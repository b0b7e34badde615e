// A file's extents read one block at a time (FIBMAP), where the file system does not map a
// file in one call (FIEMAP): ntfs-3g mounted from a block device, for one. The kernel lets
// only the administrator ask (CAP_SYS_RAWIO).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/volume_layout.h"

namespace brimwell {

// Maps the open regular file `fd` of `size` bytes, which owns `statBytes` bytes by its stat,
// into `out` (logical order, merged). FUSE answers every block its file system cannot place
// with block 0, which no file's data can occupy, so a block at 0 counts as a hole; a file
// that owns bytes yet has every block at 0 has no place this reader can tell: Resident when
// it owns less than one block (its data lives in its file record), PlaceUnknown otherwise
// (compressed or encrypted). NotReported where block maps are not offered or not allowed,
// saying which; a failure for a file too large to map block by block.
Expected<FileMap> readExtentsBlockByBlock(int fd, std::uint64_t size, std::uint64_t statBytes,
                                          std::vector<Extent>& out);

}  // namespace brimwell
