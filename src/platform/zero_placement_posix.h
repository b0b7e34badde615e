// Placing a range of a file by writing zeros into it, for file systems that cannot reserve
// a range without writing it (ntfs-3g refuses fallocate). Where the range is a hole, the
// file system gives it blocks now, as it would for the data that comes later, which then
// overwrites the zeros in place.
#pragma once

#include <cstdint>

namespace brimwell {

// Writes zeros over [offset, offset + size) of the open file `fd` without moving its file
// offset; returns the Windows error number, 0 when all were written.
int placeWithZeros(int fd, std::uint64_t offset, std::uint64_t size);

}  // namespace brimwell
