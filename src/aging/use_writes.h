// The writes of a round aged by use: files replaced, grown and moved in, as a drive in use
// gets them over time.
//
// A grown file gets blocks appended in place, one to three times a round, each written out
// before the file is closed; the writes reach
// the volume (settle) every kSettleEvery writes, as a drive in use writes its files out long
// before much later writes come, so that a file's appends lie apart: each a piece of its own
// wherever the block after the file is taken.
//
// A file moved in is written whole under a staged name in a staging folder at the target's
// root, then renamed to its place: the rename keeps its blocks where they were written, far
// from the files of its folder (the new file of a batch, or the new content of a file on
// disk, which the rename replaces in one step). The writes run in an order drawn from the random
// source, so that consecutive blocks of the staging area belong to files of different folders.
//
// The list: before the writes start, the caller lists every staged name (addStagedNames)
// beside the files' own names. A file's own name then always holds whole content (the old or
// the new), a staged one is listed until the next list is written, and an erase of the list
// removes every file either name leaves on disk (a name already gone is only counted). A
// grown file is listed with its old size until the caller writes the list again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/context.h"
#include "app/outcome.h"

namespace brimwell::aging {

// The shares of the files on disk that a round of use replaces and grows, the most appends a
// grown file gets in a round, and how many writes go between two settles of the volume.
inline constexpr int kReplacedPercent = 20;
inline constexpr int kGrownPercent = 40;
inline constexpr int kMostAppends = 3;
inline constexpr std::size_t kSettleEvery = 512;

// One write of a round of use on row `row` of the table it was planned for.
struct UseWrite {
  enum class Kind : std::uint8_t { MoveIn, Grow };
  std::uint32_t row = 0;
  Kind kind = Kind::MoveIn;
  std::int32_t bytes = 0;  // appended, for Grow: one block
};

// Every file of `batch` moved in, in a drawn order.
std::vector<UseWrite> planMovesIn(const TextTable& batch, RandomSource& random);
// The files of `onDisk` replaced (moved in with new content) and grown (by one to
// kMostAppends appends of `blockBytes` each, `growBytes` at most in all, so that the volume
// stays below its level), drawn in the shares above, in a drawn order.
std::vector<UseWrite> planUse(const TextTable& onDisk, std::int32_t blockBytes,
                              std::uint64_t growBytes, RandomSource& random);

// The staged name of write number `index`: `stem` followed by the number.
std::string stagedName(const std::string& stem, std::size_t index);

// Adds the staged name of every move in `writes` to `list`, with the size of its file in
// `files`.
void addStagedNames(const TextTable& files, const std::vector<UseWrite>& writes,
                    const std::string& stem, TextTable& list);

// Runs `writes` on the files of `files` (a grown file's size cell takes its new size), asking
// the feedback whether to carry on after each and settling the volume of the target every
// kSettleEvery writes. A failed write ends the run as the writer's
// does; a refused rename or append fails naming the file.
Outcome writeInUse(Context& context, TextTable& files, const std::vector<UseWrite>& writes,
                   const std::string& stem);

}  // namespace brimwell::aging
