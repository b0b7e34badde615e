// Aiming a file list at a fill level: what the listed files take on a volume, how many
// files a template needs for a number of bytes, and trimming a built list to a budget.
#pragma once

#include <cstdint>
#include <optional>

#include "app/random_source.h"
#include "app/text_table.h"
#include "platform/volume.h"

namespace brimwell::aging {

// How a volume gives out space to the entries of a list.
struct EntrySpace {
  std::uint32_t blockSize = 0;       // the allocation unit
  std::uint32_t recordBytes = 0;     // VolumeSpace::fileRecordBytes
  std::uint32_t metadataCopies = 0;  // VolumeSpace::metadataGroups.copies
  std::uint32_t inodeBytes = 0;      // VolumeSpace::inodeBytes
};
EntrySpace entrySpaceOf(const VolumeSpace& space);

// The bytes the files of `files1` take on a volume that gives out space as `unit` says, with
// `folderCount` folders. Each file takes its size rounded up to whole blocks and its name in
// its folder; each folder one block and its name. Where inodes are made as files are (XFS),
// each file and folder takes one too, and a folder no block: its names fill a block only once
// they outgrow its inode, which the names counted with the files stand for. Where every entry has a
// record of its own (NTFS), each file and folder takes that record and twice its name's index entry
// (an index node is about half full), and a file that fits in what its record leaves takes no
// block. Where metadata has block groups of its own (Btrfs), each entry takes its items there, in
// as many copies as the volume keeps, and a file of up to 2 KiB, less than a block, keeps its data
// among them and takes no block.
std::uint64_t listFootprint(const TextTable& files1, EntrySpace unit, std::int64_t folderCount);

// Where metadata has block groups of its own: the bytes (one copy) the entries' items take
// there, as listFootprint counts them; 0 elsewhere.
std::uint64_t listMetadata(const TextTable& files1, EntrySpace unit, std::int64_t folderCount);

// Where metadata has block groups of its own, the bytes data can still take on `space` once
// the metadata groups have grown to hold `metadata` bytes more (one copy): a group is taken
// when those in use are about three quarters full (with what the file system reserves ahead),
// a tenth of the device (at most 256 MiB) a time, in every copy, out of the space data could
// have had; and near the end the groups take what the device has left in none, so a twentieth
// of the device stays free. Nothing where metadata is not kept apart.
std::optional<std::uint64_t> dataRoomBeside(const VolumeSpace& space, std::uint64_t metadata);

// The blocks the file system's own records take for the files of `files1` once they are cut
// into pieces (run --layout), in bytes. A file of more than 4 blocks may get more extents
// than its inode holds: ext4 then gives it an extent-tree block (340 extents each), XFS a
// bmap btree block (about 250 each); one block per 250 of its blocks, at the least one,
// covers both, however many of its joins are cut.
std::uint64_t cutFilesMargin(const TextTable& files1, std::uint32_t blockSize);

// The footprint one file drawn from the template `sizes` takes on average (each row's
// sizes drawn evenly from the previous threshold up to its own, rounded up to whole blocks).
double meanFileFootprint(const TextTable& sizes, std::uint32_t blockSize);

// Removes entries of `files1`, chosen at random, until listFootprint is at most `budget`.
// An entry whose removal would take the footprint below `budget - tolerance` is passed over
// while others can be taken, so the result lands between the two where the sizes allow;
// entries are never cut off the end, which would empty whole folders. The list keeps its
// order. Returns the footprint left.
std::uint64_t trimToBudget(TextTable& files1, EntrySpace unit, std::int64_t folderCount,
                           std::uint64_t budget, std::uint64_t tolerance, RandomSource& random);

}  // namespace brimwell::aging
