// Linux paths under the writer: ":" is a character of a name like any other; only "c:" at
// the start is a drive.
#include <gtest/gtest.h>
#include <filesystem>

#include "diskops/writer.h"
#include "operation_fixture.h"
#include "support/temp_dir.h"

namespace brimwell {
namespace {

using testing::Operation;
using testing::TempDir;

TEST(PosixPaths, AColonInAFileOrFolderNameIsAnOrdinaryCharacter) {
  TempDir dir;
  Operation op;
  auto context = op.context(PathStyle::posix());
  // A file prefix such as "12:00-", and a root folder named with a time.
  op.setFiles({{dir / "Windows emul/12:00-00000001.DAT", "5"},
               {dir / "At 12:00/deep/12:00-00000002.DAT", "3"}});
  ASSERT_EQ(diskops::reproduce(context), Outcome::Done);
  EXPECT_EQ(std::filesystem::file_size(dir / "Windows emul/12:00-00000001.DAT"), 5u);
  EXPECT_EQ(std::filesystem::file_size(dir / "At 12:00/deep/12:00-00000002.DAT"), 3u);
}

TEST(PosixPaths, TheFolderPartOfEachStyle) {
  const PathStyle posix = PathStyle::posix();
  EXPECT_EQ(posix.folderPartOf("/t/12:00-1.DAT"), "/t/");
  EXPECT_EQ(posix.folderPartOf("/t/a:b/x"), "/t/a:b/");
  EXPECT_EQ(posix.folderPartOf("c:x.DAT"), "c:");
  EXPECT_EQ(posix.folderPartOf("D:"), "D:");
  EXPECT_EQ(posix.folderPartOf("12:00-1.DAT"), "");
  // The Windows style keeps its rule: the later of the last separator and the last ":".
  const PathStyle windows = PathStyle::windows();
  EXPECT_EQ(windows.folderPartOf("d:\\a\\12:00-1.DAT"), "d:\\a\\12:");
  EXPECT_EQ(windows.folderPartOf("d:x.DAT"), "d:");
}

}  // namespace
}  // namespace brimwell
