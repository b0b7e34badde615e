// The target line of a list file and which entries lie inside a target, on their own.
#include "joblist/list_target.h"

#include <gtest/gtest.h>

#include "app/context.h"
#include "joblist/list_file.h"

namespace brimwell::joblist {
namespace {

TEST(ListTarget, TheFirstLineRecordsTheTargetAndALineWithATabIsAnEntry) {
  TextTable files1(2);
  ListHeader header;
  parseFileList("# target: /t/\r\n/t/a\t1\n", "list", files1, header, nullptr);
  EXPECT_EQ(header.target, std::optional<std::string>("/t/"));
  ASSERT_EQ(files1.rowCount(), 1u);
  EXPECT_EQ(fileListText(files1, header), "# target: /t/\n/t/a\t1\n");
  // Without the header a list reads as before; an entry that looks like one stays an entry.
  parseFileList("# target: x\t5\n/t/b\t2\n", "list", files1, header, nullptr);
  EXPECT_FALSE(header.target);
  EXPECT_EQ(files1.caption(0), "# target: x");
  // An emptied list is an empty file.
  files1.clear();
  header.target = "/t/";
  EXPECT_EQ(fileListText(files1, header), "");
}

TEST(ListTarget, EntriesInsideAndOutside) {
  EXPECT_FALSE(outsideTargetReason("/t/a/b.DAT", "/t/"));
  EXPECT_FALSE(outsideTargetReason("d:/t\\a\\...x.DAT", "d:\\t\\"));
  EXPECT_FALSE(outsideTargetReason("rel/a.DAT", ""));
  for (const char* outside :
       {"/tx/a", "/t//etc/a", "/t/a/../../b", "/t/..", "/t/a/.. /b", "/t/c:\\x", "/elsewhere"}) {
    EXPECT_TRUE(outsideTargetReason(outside, "/t/")) << outside;
  }
  EXPECT_TRUE(outsideTargetReason("/abs", ""));
  EXPECT_TRUE(outsideTargetReason("c:\\x", ""));
  EXPECT_EQ(asTargetFolder("/mnt/x"), "/mnt/x/");
  EXPECT_EQ(asTargetFolder("d:\\x"), "d:\\x\\");
  EXPECT_EQ(asTargetFolder("d:"), "d:");
  EXPECT_EQ(asTargetFolder(""), "");
}

TEST(ListTarget, TargetsAreNormalisedOnceAndRootsAreKnown) {
  EXPECT_EQ(asTargetFolder("/x//t/./a/../"), "/x/t/");
  EXPECT_EQ(asTargetFolder("/x/t"), "/x/t/");
  EXPECT_EQ(asTargetFolder("/.."), "/");
  EXPECT_EQ(asTargetFolder("d:\\a\\\\b\\.."), "d:\\a\\");
  EXPECT_EQ(asTargetFolder("\\\\srv\\share"), "\\\\srv\\share\\");
  for (const char* root : {"/", "//", "\\", "\\\\", "c:\\", "c:/", "c:"}) {
    EXPECT_TRUE(isTreeRoot(root)) << root;
    EXPECT_TRUE(refusedTargetReason(root, false)) << root;
    EXPECT_FALSE(refusedTargetReason(root, true)) << root;
  }
  EXPECT_FALSE(isTreeRoot("/x/"));
  // Only a letter before ":" makes a drive; any other character starts a name.
  EXPECT_FALSE(isTreeRoot("1:/"));
  EXPECT_EQ(asTargetFolder("1:/.."), "");
  EXPECT_EQ(asTargetFolder("Z:/.."), "Z:/");
  EXPECT_FALSE(outsideTargetReason("/t/1:00.DAT", "/t/"));
  EXPECT_FALSE(outsideTargetReason("/t/\xe9:x", "/t/"));
  EXPECT_TRUE(outsideTargetReason("/t/Z:x", "/t/"));
  EXPECT_FALSE(escapingNameReason("1:", false));
  EXPECT_TRUE(escapingNameReason("z:x", false));
  EXPECT_TRUE(refusedTargetReason("", true));
  // Compared as a folder, a target never admits its siblings.
  EXPECT_TRUE(outsideTargetReason("/x/tevil/f", asTargetFolder("/x/t")));
}

}  // namespace
}  // namespace brimwell::joblist
