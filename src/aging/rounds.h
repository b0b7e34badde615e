// Aging a drive in rounds, the whole job of run: each round builds a batch of files, writes
// it, sorts out a share of every file written so far that remains, and erases that share.
// The first batch follows the fields (or a fill level); each further batch goes into the
// same roots under its own serial prefix (the prefix and "rK-"), sized to bring the volume
// back to the level of the first, so new files land in the holes old ones left.
//
// No file without a list: before a batch is written, the job list is rewritten (synced) to
// name every file still on disk and the whole batch; after an erase it names what remains.
// Whatever stops the job (a refusal, a failure, the user, a kill between two files), an
// erase of the list removes every file the job wrote.
//
// Aging by use (byUse): from the second round on, each round first replaces and grows a
// share of the files on disk, then writes its batch, every new file and new content written
// in a staging folder at the target's root and moved into place (use_writes.h, which says
// how the list names staged files). Not with a layout score: its cuts are not steered.
//
// Aging like a profile (run --like) fills every round to the profile's level, cuts the
// files to its layout score and its files by extent count, and ends with a top-up: one
// more batch, not erased, that brings the volume back to the level.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "aging/drive_profile.h"
#include "aging/list_figures.h"
#include "app/context.h"
#include "app/fields.h"
#include "diskops/fragmentation.h"
#include "joblist/job_list.h"
#include "measure/measurement.h"

namespace brimwell::aging {

struct RoundsPlan {
  int rounds = 1;
  std::optional<double> fill;        // --fill: the level of every round; else the first's files
  std::optional<double> layout;      // the layout score the files are written to; else whole
  std::optional<DriveProfile> like;  // the drive to age like; sets the level and the layout
  bool byUse = false;                // later rounds replace, grow and move files in
};

enum class RoundStep { Use, Build, Reproduce, SortOut, Erase };
// "use", "build", "reproduce", "sort-out", "erase"
const char* roundStepName(RoundStep step);

// What a round leaves.
struct RoundFigures {
  int round = 0;
  ListFigures written;    // the batch written this round
  ListFigures remaining;  // every file still on disk
  diskops::EraseResult erased;
  std::optional<double> usedPercent;        // the volume's fill; nothing when unknown
  std::optional<std::int64_t> freeExtents;  // nothing when the volume does not tell
  std::string freeExtentsWhy;               // why not
  measure::FreeSpaceFigures freeSpace;      // known when freeExtents is
  measure::FileLayoutFigures layout;        // of the files still on disk
  bool topUp = false;                       // the batch that ends an aging like a profile
};

// Told as the rounds go.
class RoundsObserver {
 public:
  virtual ~RoundsObserver() = default;
  // The batch of `round` is on disk.
  virtual void batchWritten(int round, const ListFigures& written) = 0;
  // The round has ended.
  virtual void roundDone(const RoundFigures& figures) = 0;
};

struct RoundsResult {
  Outcome outcome = Outcome::Done;
  RoundStep step = RoundStep::Erase;  // the step that stopped the job, when not Done
  int round = 0;                      // the round it stopped in
};

// Runs the rounds into the target of the field `reprodpath` with the template loaded in
// `context`. `list` records the target and is kept as described above. The files the last
// erase refused stay in `context`'s file list (and on the list file, being on disk).
// Failures throw; a stop by the user or a question declined returns with the step. The
// progress bar goes once from start to end over the whole job (JobProgress).
RoundsResult ageInRounds(Context& context, FieldValues& fields, joblist::JobList& list,
                         const RoundsPlan& plan, RoundsObserver& observer);

}  // namespace brimwell::aging
