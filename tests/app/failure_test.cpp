#include "app/failure.h"

#include <gtest/gtest.h>

namespace brimwell {
namespace {

TEST(Failure, ErrorBoxAddsAFullStopOnlyAfterCharactersSortingAfterTheDot) {
  EXPECT_EQ(errorBoxText("'abc' is not a valid integer value"),
            "'abc' is not a valid integer value.");
  EXPECT_EQ(errorBoxText("List index out of bounds (0)"), "List index out of bounds (0)");
  for (const char* unchanged : {"Stop!", "a,", "a-", "a.", "a ", ""}) {
    EXPECT_EQ(errorBoxText(unchanged), unchanged);
  }
  EXPECT_EQ(errorBoxText("I/O error 112"), "I/O error 112.");
  EXPECT_EQ(errorBoxText("a/"), "a/.");                    // "/" sorts right after "."
  EXPECT_EQ(errorBoxText("caf\xC3\xA9"), "caf\xC3\xA9.");  // bytes above 127 sort after "."
}

TEST(Failure, IoMessagesByWindowsNumber) {
  EXPECT_STREQ(IoFailure(2).what(), "File not found");
  EXPECT_STREQ(IoFailure(3).what(), "Invalid filename");
  EXPECT_STREQ(IoFailure(4).what(), "Too many open files");
  EXPECT_STREQ(IoFailure(5).what(), "File access denied");
  EXPECT_STREQ(IoFailure(112).what(), "I/O error 112");
  EXPECT_EQ(IoFailure(123).code(), 123);
}

TEST(Failure, ApplicationTitleFromTheExecutable) {
  EXPECT_EQ(applicationTitle("/usr/bin/Brimwell"), "Brimwell");
  EXPECT_EQ(applicationTitle("C:\\Tools\\BRIMWELL.EXE"), "Brimwell");
  EXPECT_EQ(applicationTitle("brim.well.exe"), "brim");
  EXPECT_EQ(applicationTitle("brimwell-cli"), "brimwell-cli");
}

}  // namespace
}  // namespace brimwell
