// The file-list text format on its own: its line rules and what a bad line leaves behind.
#include "joblist/list_file.h"

#include <gtest/gtest.h>

#include "app/context.h"
#include "app/failure.h"
#include "support/temp_dir.h"

namespace brimwell::joblist {
namespace {

TEST(ListFileTest, TheSizeFollowsTheLastTabAndCrLfAndEmptyLinesAreAccepted) {
  TextTable files1(2);
  parseFileList("/a/b\t1\r\n\n/with\ttab\t-5\n/c\t0", "list", files1);
  ASSERT_EQ(files1.rowCount(), 3u);
  EXPECT_EQ(files1.caption(1), "/with\ttab");
  EXPECT_EQ(files1.subCell(1, kSizeCell), "-5");
  EXPECT_EQ(files1.caption(2), "/c");
  EXPECT_EQ(fileListText(files1), "/a/b\t1\n/with\ttab\t-5\n/c\t0\n");
}

TEST(ListFileTest, ABadLineLeavesTheTableAsItWas) {
  TextTable files1(2);
  files1.addSubCell(files1.addRow("/kept"), "7");
  for (const char* text : {"/a\t1\n/b\n", "/a\t1\n/b\t\n", "/a\t1\n/b\t99999999999999999999\n",
                           "/a\t1\n/b\t+1\n", "/a\t1\n/b\t 1\n"}) {
    try {
      parseFileList(text, "list", files1);
      ADD_FAILURE() << text;
    } catch (const Failure& failure) {
      EXPECT_NE(std::string(failure.what()).find("The file list 'list', line 2: "),
                std::string::npos)
          << failure.what();
    }
    ASSERT_EQ(files1.rowCount(), 1u);
    EXPECT_EQ(files1.caption(0), "/kept");
  }
}

TEST(ListFileTest, WritingReplacesTheFileWholeAndAFailureKeepsTheOldOne) {
  testing::TempDir dir;
  TextTable files1(2);
  files1.addSubCell(files1.addRow("/x"), "1");
  writeFileList(dir / "list.txt", files1);
  EXPECT_EQ(dir.readFile("list.txt"), "/x\t1\n");

  // The new file cannot be made where the list's folder is a file: the old list stays.
  files1.clear();
  EXPECT_THROW(writeFileList(dir / "list.txt/inner", files1), Failure);
  EXPECT_EQ(dir.readFile("list.txt"), "/x\t1\n");

  EXPECT_THROW(writeFileList(dir.path(), files1), Failure);
  EXPECT_THROW(readFileList(dir / "missing.txt", files1), Failure);
}

}  // namespace
}  // namespace brimwell::joblist
