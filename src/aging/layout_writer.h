// The writer for run --layout: writes the file list so that the files under the target
// reach a chosen layout score, cutting files into pieces as it writes them.
//
// What the file systems taught us (ext4 and XFS, loop-mounted, this kernel): files written
// whole stay whole, whatever the free space looks like, because delayed allocation and
// speculative preallocation place a file's blocks together when they are written out. A
// piece given its place at once (reserve(): fallocate, exact, no preallocation beyond it)
// goes where the file's previous piece ended, unless something was placed there in between.
// So a cut file's pieces are given their places before its data is written: where fallocate
// places ranges, first piece first, in turns with other cut files and beyond spacer blocks
// taken out again (aging/piece_turns.h), so every cut is a break a reader meets: a spacer for
// every piece, or, where the spacers' holes would keep new files out (XFS:
// VolumeAbilities::newFilesNeedFreeRuns), turns within each folder and spacers only for a
// file left alone; where zeros written into a hole place a range (ntfs-3g), from the last to
// the first in turns with other cut files, each piece's preferred place, right before the
// piece after it, being mostly taken (piece_placement.h). Nothing depends on timing: places
// are taken in the order of the calls. The files written are measured in batches (their extents)
// and the share of joins cut in the rest steered by them (LayoutSteer).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "aging/extent_plan.h"
#include "aging/layout_steer.h"
#include "app/context.h"
#include "app/outcome.h"

namespace brimwell::aging {

struct LayoutAim {
  double score = 1.0;
  LayoutJoins onDisk;  // the files already under the target that stay
  std::uint32_t blockSize = 4096;
  RangePlacement placement = RangePlacement::None;  // how the volume places a range
  bool holesAllowed = true;     // false: new files need the free space in runs, kept whole
  std::uint64_t freeBytes = 0;  // free on the volume before the batch
  // run --like: the shares of files by extent class that the files on disk and the batch
  // are to reach together (each file cut into a planned number of pieces, ExtentPlan);
  // nothing: every join is cut with one share.
  std::optional<ExtentClassShares> classShares;
  ExtentClassCounts onDiskClasses{};
  // The rows of the list that the erase after the batch leaves on disk, which alone the
  // score counts (`onDisk` then holds only what stays of the files there); empty: every row.
  std::vector<bool> stays;
  bool counted(std::size_t row) const { return stays.empty() || stays[row]; }
};

// The aim of `score` (and, for run --like, of `classShares`) for a batch written to the
// volume holding `target`, where the files of `onDisk` stay, beside `others`: the files
// under the target the job did not write.
LayoutAim layoutAim(Context& context, double score,
                    const std::optional<ExtentClassShares>& classShares, const TextTable& onDisk,
                    const LayoutJoins& others, const std::string& target);

// The joins of the files under `target` now (none when it is not there yet): measure counts
// them in the layout score of the target, so a job aiming at a score counts them too.
LayoutJoins joinsUnder(const std::string& target, Context& context);

// The joins of the listed files once written on a volume of `blockSize` bytes a block: of
// the rows flagged in `rows`, or of all where it is empty.
std::int64_t listJoins(const TextTable& list, std::uint32_t blockSize,
                       const std::vector<bool>& rows = {});

// Fails (Failure) when the aim lies below what the files on disk and the listed ones can
// reach, naming the lowest score they can.
void checkLayoutReach(const TextTable& list, const LayoutAim& aim, const std::string& target);

// Fails (Failure) where this user cannot read the extents of files written under `target`,
// which steer the layout, naming the file system and why; `option` is "--layout" or "--like".
void checkExtentsReadable(Context& context, const std::string& target, const std::string& option);

// Writes the file list (context.lists.files1) as diskops::reproduce does (same question,
// status texts, failures, stop between files), cutting its files to reach the aim.
Outcome reproduceToLayout(Context& context, const LayoutAim& aim);

}  // namespace brimwell::aging
