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

// Lists are read and written in blocks of a mebibyte: lines, line ends and a line longer than
// a block cross their edges.
TEST(ListFileTest, ALongListReadsAndWritesWholeAcrossBlocks) {
  testing::TempDir dir;
  std::string text = "# target: /d/\r\n";
  std::string written = "# target: /d/\n";
  for (int n = 0; n < 150000; ++n) {
    const std::string line = "/d/" + std::to_string(n) + "\t" + std::to_string(n % 977);
    text += line + (n % 3 == 0 ? "\r\n" : "\n");
    written += line + "\n";
    if (n == 70000) {
      const std::string longLine = "/d/" + std::string(1536 * 1024, 'x') + "\t5";
      text += longLine + "\n";
      written += longLine + "\n";
    }
  }
  dir.writeFile("list.txt", text + "/d/last\t1\r");
  written += "/d/last\t1\n";

  TextTable files1(2);
  ListHeader header;
  readFileList(dir / "list.txt", files1, header, nullptr);
  EXPECT_EQ(files1.rowCount(), 150002u);
  EXPECT_EQ(header.target, "/d/");
  writeFileList(dir / "again.txt", files1, header);
  EXPECT_TRUE(dir.readFile("again.txt") == written);

  // A bad line deep in the file is named by its number, and the table stays as it was.
  dir.writeFile("bad.txt", text + "/d/bad\n");
  try {
    readFileList(dir / "bad.txt", files1);
    ADD_FAILURE();
  } catch (const Failure& failure) {
    EXPECT_NE(std::string(failure.what()).find("line 150003: "), std::string::npos)
        << failure.what();
  }
  EXPECT_EQ(files1.rowCount(), 150002u);
}

TEST(ListFileTest, WritingLeavesOutFlaggedRowsAndTellsTheSinkOfEachEntryWritten) {
  struct Recorder : ListEntrySink {
    std::string seen;
    void entry(std::string_view path, std::string_view size) override {
      seen += std::string(path) + "=" + std::string(size) + ";";
    }
  } recorder;
  TextTable files1(2);
  for (const char* path : {"/t/a", "/t/b", "/t/c"}) files1.addSubCell(files1.addRow(path), "2");
  ListHeader header;
  header.target = "/t/";
  std::vector<bool> leaveOut = {true, false, true};
  EXPECT_EQ(fileListText(files1, header, {&leaveOut, &recorder}), "# target: /t/\n/t/b\t2\n");
  EXPECT_EQ(recorder.seen, "/t/b=2;");
  // Every row left out: an empty list, written without its target line.
  leaveOut[1] = true;
  EXPECT_EQ(fileListText(files1, header, {&leaveOut, nullptr}), "");
}

}  // namespace
}  // namespace brimwell::joblist
