// The used space later rounds plan from, counted and corrected by the volume's reading
// rounded to a grain; the volume here is scripted.
#include "aging/used_model.h"

#include <gtest/gtest.h>

#include "aging/scripted_job.h"

namespace brimwell::testing {
namespace {

constexpr std::uint64_t kMiB = ScriptedJob::kMiB;

TEST(UsedModel, TheVolumesReadingCorrectsTheCountInWholeGrainsRoundedToTheNearest) {
  // 1 MiB grains below 256 MiB; 4 MiB on a 1 GiB volume.
  EXPECT_EQ(aging::correctedUsedBytes(10 * kMiB, 10 * kMiB + kMiB * 4 / 10, 64 * kMiB), 10 * kMiB);
  EXPECT_EQ(aging::correctedUsedBytes(10 * kMiB, 10 * kMiB + kMiB * 6 / 10, 64 * kMiB), 11 * kMiB);
  EXPECT_EQ(aging::correctedUsedBytes(10 * kMiB, 10 * kMiB - kMiB * 6 / 10, 64 * kMiB), 9 * kMiB);
  EXPECT_EQ(aging::correctedUsedBytes(10 * kMiB, 10 * kMiB - kMiB * 4 / 10, 64 * kMiB), 10 * kMiB);
  EXPECT_EQ(aging::correctedUsedBytes(10 * kMiB, 12 * kMiB + kMiB / 2, 1024 * kMiB), 14 * kMiB);
  EXPECT_EQ(aging::correctedUsedBytes(10 * kMiB, 11 * kMiB + kMiB / 2, 1024 * kMiB), 10 * kMiB);
  EXPECT_EQ(aging::correctedUsedBytes(kMiB, 0, 64 * kMiB), 0u);
}

TEST(UsedModel, CountsTheFilesOnDiskInWholeBlocksWithTheFoldersOfTheBatches) {
  ScriptedJob job;
  job.volume.usedBefore = 8 * kMiB;
  aging::UsedModel model(job.context, job.target);
  TextTable batch(2);
  for (const char* path : {"job/a/1", "job/a/2", "job/b/3"}) {
    batch.addSubCell(batch.addRow(job.dir / path), "5000");  // two blocks each
  }
  model.batchWritten(batch);
  // Three files of two blocks, and the folders job/a and job/b of a block each (with their
  // entries); the volume read 8 MiB, within half a grain of the count.
  const std::uint64_t used = model.usedBytes(batch);
  EXPECT_GE(used, 8 * kMiB + 6 * 4096 + 2 * 4096);
  EXPECT_LT(used, 8 * kMiB + 6 * 4096 + 2 * 4096 + 1024);
  EXPECT_DOUBLE_EQ(model.percentOf(16 * kMiB), 25.0);
  // Others wrote 3 MiB meanwhile: taken in whole grains.
  job.volume.usedBefore += 3 * kMiB;
  EXPECT_EQ(model.usedBytes(batch), used + 3 * kMiB);
  // Where folders take no blocks, only the files count.
  job.volume.foldersTakeBlocks = false;
  aging::UsedModel inMemory(job.context, job.target);
  inMemory.batchWritten(batch);
  EXPECT_LT(inMemory.usedBytes(batch), 11 * kMiB + 6 * 4096 + 1024);
}

TEST(UsedModel, WhereMetadataHasGroupsOfItsOwnOnlyTheDataIsReadAndTheGroupsTakenAreNoLongerFree) {
  ScriptedJob job;
  job.volume.metadataGroups = {2, 8 * kMiB, kMiB, kMiB};
  aging::UsedModel model(job.context, job.target);
  TextTable batch(2);
  for (const char* path : {"job/a/1", "job/a/2", "job/b/3"}) {
    batch.addSubCell(batch.addRow(job.dir / path), "5000");
  }
  model.batchWritten(batch);
  const aging::PlannedSpace planned = model.plan(batch);
  // Free to data: what the groups left (48 MiB), less the six blocks of the files.
  EXPECT_EQ(planned.dataAvailable, 48 * kMiB - 6 * 4096);
  // The trees take more than a grain more from one run to the next: nothing planned moves.
  job.volume.metadataGroups.used += 3 * kMiB / 2;
  const aging::PlannedSpace grownTrees = model.plan(batch);
  EXPECT_EQ(grownTrees.used, planned.used);
  EXPECT_EQ(grownTrees.dataAvailable, planned.dataAvailable);
  // A group taken, in both copies, and 3 MiB of data others wrote.
  job.volume.metadataGroups.allocated += 4 * kMiB;
  job.volume.usedBefore += 3 * kMiB;
  const aging::PlannedSpace later = model.plan(batch);
  EXPECT_EQ(later.used, planned.used + 3 * kMiB);
  EXPECT_EQ(later.dataAvailable, *planned.dataAvailable - 3 * kMiB - 8 * kMiB);
}

TEST(VolumeSpace, TheUsedShareIsWhatIsNotFreeOfTheWholeAndUnknownForNoVolume) {
  VolumeSpace space;
  EXPECT_FALSE(space.usedPercent());
  space.totalBytes = 200;
  space.freeBytes = 150;
  space.availableBytes = 100;  // reserved blocks are not used ones
  EXPECT_EQ(space.usedBytes(), 50u);
  EXPECT_DOUBLE_EQ(*space.usedPercent(), 25.0);
}

}  // namespace
}  // namespace brimwell::testing
