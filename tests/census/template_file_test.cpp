// Reading and writing template files: the line rules, the fields, byte-exact round trips.
#include <gtest/gtest.h>

#include "app/failure.h"
#include "census/size_template.h"
#include "census_fixture.h"
#include "platform/windows_errors.h"

namespace brimwell::census {
namespace {

using testing::CensusFixture;

struct Row {
  std::string threshold, count, percent, description;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << "{" << row.threshold << "|" << row.count << "|" << row.percent << "|"
             << row.description << "}";
}

std::vector<Row> rowsOf(const TextTable& sizes) {
  std::vector<Row> rows;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    rows.push_back({std::string(sizes.caption(row)), std::string(sizes.subCell(row, 0)),
                    std::string(sizes.subCell(row, 1)), std::string(sizes.subCell(row, 2))});
  }
  return rows;
}

std::vector<Row> read(std::string_view bytes) {
  TextTable sizes(4);
  readTemplate(bytes, sizes);
  return rowsOf(sizes);
}

TEST(TemplateFile, SplitsThresholdCountAndDescriptionAtTheFirstTwoTabs) {
  EXPECT_EQ(read("4096\t120\r\n"), (std::vector<Row>{{"4096", "120", "0", ""}}));
  EXPECT_EQ(read("512\t7\tsmall\tfiles\t\r\n"),
            (std::vector<Row>{{"512", "7", "0", "small\tfiles\t"}}));
  // No TAB: empty threshold, the whole line as Count.
  EXPECT_EQ(read("1234\n"), (std::vector<Row>{{"", "1234", "0", ""}}));
  // Empty fields stay empty; a TAB right after the count gives an empty description.
  EXPECT_EQ(read("\t\t\n\t5\n"), (std::vector<Row>{{"", "", "0", ""}, {"", "5", "0", ""}}));
}

TEST(TemplateFile, LineEndsCarriageReturnsAndEndOfFileMarks) {
  // LF and CR LF end lines; empty lines are skipped; a last line without an end counts.
  EXPECT_EQ(read("1\t1\n\n\r\n2\t2\r\n3\t3"),
            (std::vector<Row>{{"1", "1", "0", ""}, {"2", "2", "0", ""}, {"3", "3", "0", ""}}));
  // A lone CR is dropped wherever it stands and does not end the line.
  EXPECT_EQ(read("\r1\r0\t2\r\r\n\r\r\n"), (std::vector<Row>{{"10", "2", "0", ""}}));
  EXPECT_EQ(read("1\t2\r"), (std::vector<Row>{{"1", "2", "0", ""}}));
  // Ctrl-Z inside a line ends it and drops the rest of it; reading goes on.
  EXPECT_EQ(read("1\t2\x1A junk\t9\r\n3\t4\n"),
            (std::vector<Row>{{"1", "2", "0", ""}, {"3", "4", "0", ""}}));
  // A line that is only Ctrl-Z and more ends the file there.
  EXPECT_EQ(read("1\t2\n\x1A\n3\t4\n"), (std::vector<Row>{{"1", "2", "0", ""}}));
  EXPECT_EQ(read("\x1A"
                 "1\t2\n"),
            std::vector<Row>{});
  // A Ctrl-Z in the last line without an end.
  EXPECT_EQ(read("1\t2\n3\x1A\t4"), (std::vector<Row>{{"1", "2", "0", ""}, {"", "3", "0", ""}}));
  EXPECT_EQ(read(""), std::vector<Row>{});
}

TEST(TemplateFile, KeepsBinaryBytesAndLongLines) {
  const std::string binary("\x00\x01\xff\x80", 4);
  EXPECT_EQ(read("1\t2\t" + binary + "\n"), (std::vector<Row>{{"1", "2", "0", binary}}));
  const std::string megabyte(1 << 20, 'd');
  EXPECT_EQ(read("8\t9\t" + megabyte + "\r\n"), (std::vector<Row>{{"8", "9", "0", megabyte}}));
}

TEST(TemplateFile, WritesThresholdCountAndOnlyANonEmptyDescription) {
  CensusFixture f;
  f.setRows({{"512", "3", "tiny"}, {"4096", "120"}, {"", "", "a\tb"}});
  EXPECT_EQ(writeTemplate(f.lists.sizes), "512\t3\ttiny\r\n4096\t120\r\n\t\ta\tb\r\n");
}

TEST(TemplateFile, RoundTripsByteExactThroughRealFiles) {
  CensusFixture f;
  const std::string original =
      "512\t10\tfiles up to\ta sector\r\n4096\t120\r\n2147483647\t0\tlargest\r\n";
  f.dir.writeFile("in.fs", original);
  loadTemplateFile(f.context, f.dir / "in.fs");
  EXPECT_EQ(rowsOf(f.lists.sizes), (std::vector<Row>{{"512", "10", "7.69", "files up to\ta sector"},
                                                     {"4096", "120", "92.31", ""},
                                                     {"2147483647", "0", "0.00", "largest"}}));
  saveTemplateFile(f.context, f.dir / "out.fs");
  EXPECT_EQ(f.dir.readFile("out.fs"), original);
}

TEST(TemplateFile, SavingReplacesAnExistingFile) {
  CensusFixture f;
  f.setRows({{"1", "2"}});
  f.dir.writeFile("old.fs", std::string(1000, 'x'));
  saveTemplateFile(f.context, f.dir / "old.fs");
  EXPECT_EQ(f.dir.readFile("old.fs"), "1\t2\r\n");
}

}  // namespace
}  // namespace brimwell::census
