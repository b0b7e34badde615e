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

TEST(Failure, AnIoFailureKeepsTheSystemErrorNotedForItsNumber) {
  const SystemError readOnly{30, "read-only file system"};
  noteRefusal(5, readOnly);
  const IoFailure denied(5, "/mnt/ro/list.txt");
  EXPECT_EQ(denied.message(), "File access denied");  // the window's text stays
  EXPECT_EQ(denied.path(), "/mnt/ro/list.txt");
  EXPECT_EQ(denied.explained(), "File access denied: " + systemErrorText(readOnly));
  EXPECT_EQ(ioErrorText(5), systemErrorText(readOnly));
  // Noted for another number, or said in full by the message: nothing is added.
  EXPECT_EQ(IoFailure(112).explained(), "I/O error 112");
  noteRefusal(2, std::nullopt);
  EXPECT_FALSE(IoFailure(2).systemError());
  EXPECT_EQ(ioErrorText(2), "File not found");
}

TEST(Failure, ApplicationTitleFromTheExecutable) {
  EXPECT_EQ(applicationTitle("/usr/bin/Brimwell"), "Brimwell");
  EXPECT_EQ(applicationTitle("C:\\Tools\\BRIMWELL.EXE"), "Brimwell");
  EXPECT_EQ(applicationTitle("brim.well.exe"), "brim");
  EXPECT_EQ(applicationTitle("brimwell-cli"), "brimwell-cli");
}

}  // namespace
}  // namespace brimwell
