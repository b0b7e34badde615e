// A list of a million entries through every operation, on a real file system: built,
// written (as empty files, so the run stays within memory on tmpfs), counted by a census,
// thinned and erased. Checks that nothing is lost or counted twice at full scale.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/context.h"
#include "census/census.h"
#include "census/size_template.h"
#include "diskops/fragmentation.h"
#include "diskops/writer.h"
#include "fileset/builder.h"
#include "platform/posix_file_system.h"
#include "support/recording_feedback.h"

namespace brimwell {
namespace {

namespace fs = std::filesystem;

TEST(MillionEntries, EveryOperationAtFullScale) {
  // tmpfs where there is one: a million files on a disk would test the disk, not the tool.
  const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  const fs::path target = base / ("brimwell-million-" + std::to_string(::getpid()));
  fs::remove_all(target);
  fs::create_directory(target);
  // A million files must not stay behind in memory when a check fails half-way.
  struct RemovedAtEnd {
    const fs::path& path;
    ~RemovedAtEnd() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  } removedAtEnd{target};

  PosixFileSystem files;
  Workspace lists;
  FieldValues fields;
  testing::RecordingFeedback feedback;
  RandomSource random(1000000);
  auto collation = userCollation();
  Context context{lists, fields, feedback, files, random, *collation, PathStyle::posix(), "."};

  constexpr std::int64_t kFiles = 1000000;
  fields.setValue(SpinField::SpinEdit1, kFiles);
  fields.setValue(SpinField::SpinEdit2, 30000);
  fields.setText(EditField::reprodpath, target.string() + "/");
  census::readTemplate("1\t5\r\n", lists.sizes);  // every size drawn below 1: empty files

  ASSERT_EQ(fileset::build(context), Outcome::Done);
  ASSERT_EQ(lists.files1.rowCount(), static_cast<std::size_t>(kFiles));
  ASSERT_EQ(diskops::reproduce(context), Outcome::Done);

  Workspace censusLists;
  census::readTemplate("0\t0\r\n1\t0\r\n", censusLists.sizes);
  fields.setText(EditField::scanpath, target.string());
  Context censusContext{censusLists, fields,     feedback,           files,
                        random,      *collation, PathStyle::posix(), "."};
  ASSERT_EQ(census::analyse(censusContext), Outcome::Done);
  EXPECT_EQ(censusLists.sizes.subCell(0, kCountCell), "1000000");
  EXPECT_EQ(censusLists.sizes.subCell(1, kCountCell), "0");
  EXPECT_EQ(feedback.status.rfind("Total files: 1000000, total folders: ", 0), 0u);

  ASSERT_EQ(diskops::sortOut(context), Outcome::Done);
  EXPECT_EQ(lists.files1.rowCount(), 150000u);
  const auto erased = diskops::erase(context);
  EXPECT_EQ(erased.erased, 150000);
  EXPECT_EQ(erased.failed, 0);
  std::int64_t left = 0;
  for (const auto& entry : fs::recursive_directory_iterator(target)) {
    if (entry.is_regular_file()) ++left;
  }
  EXPECT_EQ(left, kFiles - 150000);
}

}  // namespace
}  // namespace brimwell
