// The steps of a build, each drawing from the one random source in the order the build
// makes them: folder paths, then file entries, then sizes. Used by builder.cpp; split out
// so that each step reads as the recipe it follows.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/context.h"

namespace brimwell::fileset {

// k * 100 / total as the progress bar takes it: a 32-bit product (wrapping, as 32-bit
// arithmetic does) divided with truncation. A total of 0 has no percentage: the bar then
// stays where it is (the caller skips the update).
bool progressPercent(std::int32_t done, std::int32_t total, int& percent);

// Draws the folder paths into `folders` (SpinEdit2 of them): a root chosen among the
// five, up to its depth of eight-letter levels, a separator at the end.
void drawFolderPaths(Context& context, TextTable& folders);

// The file step is made in two passes so that the list can be laid out in (very nearly)
// its final order from the start, and the final ordering only has to confirm it.
//
// First pass: the folder row of each of the SpinEdit1 files, drawn in creation order,
// with the step's progress. Fails with "List index out of bounds (0)" when there are
// files to place but no folder to place them in.
std::vector<std::uint32_t> drawFileFolders(Context& context, std::uint32_t folderCount);

// The order the file list most likely sorts into, as creation indices: files grouped by
// their folder's text, the groups in collation order of folder + `id`, each group's files
// in creation order (their serials ascend). Only a guess: the collation checks it.
std::vector<std::uint32_t> likelyFileOrder(Collation& collation, const TextTable& folders,
                                           std::string_view id,
                                           const std::vector<std::uint32_t>& folderOfFile);

// Second pass: adds the file entries to `files`, row p holding the file created as
// number layout[p] + 1: its folder's path, the id, the eight-digit serial and ".DAT".
void addFileEntries(Context& context, const TextTable& folders,
                    const std::vector<std::uint32_t>& folderOfFile,
                    const std::vector<std::uint32_t>& layout, TextTable& files);

// Gives the file entries their sizes in creation order, row by row of the template, and
// "1024" to every entry left over. `scale` is the number of files over the counts' sum;
// the file created i-th (from 0) is row rowOfFile[i] of `files`.
void drawFileSizes(Context& context, double scale, const std::vector<std::uint32_t>& rowOfFile,
                   TextTable& files);

// Advances the random source as `count` draws would, without making them one by one
// (the values of draws whose result is not used do not matter, only how many there are).
void skipDraws(RandomSource& random, std::uint64_t count);

}  // namespace brimwell::fileset
