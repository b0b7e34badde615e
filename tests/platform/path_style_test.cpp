#include "platform/path_style.h"

#include <gtest/gtest.h>

namespace brimwell {
namespace {

TEST(PathStyle, FolderPartTakesTheLaterOfSeparatorAndColon) {
  EXPECT_EQ(PathStyle::folderPart("d:\\a\\b.dat"), "d:\\a\\");
  EXPECT_EQ(PathStyle::folderPart("d:b.dat"), "d:");
  EXPECT_EQ(PathStyle::folderPart("/tmp/x/y"), "/tmp/x/");
  EXPECT_EQ(PathStyle::folderPart("a/b\\c"), "a/b\\");
  EXPECT_EQ(PathStyle::folderPart("plain.dat"), "");
}

TEST(PathStyle, RootsAndSeparators) {
  const auto windows = PathStyle::windows();
  const auto posix = PathStyle::posix();
  EXPECT_EQ(windows.separator(), '\\');
  EXPECT_EQ(posix.separator(), '/');
  EXPECT_TRUE(windows.isRoot("d:"));
  EXPECT_TRUE(windows.isRoot("ab"));
  EXPECT_FALSE(windows.isRoot("d:\\a"));
  EXPECT_TRUE(posix.isRoot(""));
  EXPECT_TRUE(posix.isRoot("c:"));
  EXPECT_TRUE(posix.isRoot("Z:"));
  // Only a letter before ":" makes a drive: "1:" is a folder of that name.
  EXPECT_FALSE(posix.isRoot("1:"));
  EXPECT_EQ(posix.folderPartOf("1:00.DAT"), "");
  EXPECT_EQ(posix.folderPartOf("Z:00.DAT"), "Z:");
  // Under the POSIX style a short folder is still a folder to create.
  EXPECT_FALSE(posix.isRoot("/a"));
  EXPECT_TRUE(PathStyle::endsWithSeparator("x\\"));
  EXPECT_TRUE(PathStyle::endsWithSeparator("x/"));
  EXPECT_FALSE(PathStyle::endsWithSeparator("x"));
}

}  // namespace
}  // namespace brimwell
