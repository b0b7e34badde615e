// brimwell-cli census: the filled table and the totals on stdout, the saved template.
#include <filesystem>
#include <string>

#include "cli/cli_fixture.h"
#include "platform/locale_info.h"

namespace brimwell::testing {
namespace {

TEST_F(CliTest, CensusPrintsTheFilledTableAndTotalsAndSavesTheTemplate) {
  dir.writeFile("thresholds.fs", "100\t0\thundred\n200\t0\n16777216\t0\n");
  dir.writeFile("place/sub/a", std::string(100, 'a'));
  dir.writeFile("place/sub/b", std::string(200, 'b'));
  dir.writeFile("place/sub/c", std::string(300, 'c'));

  const CliRun run = runCli({"census", path("place"), "--template", path("thresholds.fs"), "--save",
                             path("measured.fs")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string third = "33" + userDecimalSeparator() + "33";
  // In columns, however wide the threshold.
  EXPECT_EQ(run.out, "100       1  " + third + "  hundred\n200       1  " + third +
                         "\n16777216  1  " + third +
                         "\nTotal files: 3, total folders: 1, total size: 600, avg size: 200.\n");
  EXPECT_NE(run.err.find("Analyzing the location...\n"), std::string::npos) << run.err;
  EXPECT_EQ(read("measured.fs"), "100\t1\thundred\r\n200\t1\r\n16777216\t1\r\n");
}

TEST_F(CliTest, CensusOfAnEmptyPlaceStopsWithItsNoticeAndSavesNothing) {
  dir.writeFile("place/sub/.keep", "");
  std::filesystem::remove(path("place/sub/.keep"));
  const CliRun run =
      runCli({"census", path("place"), "--template", templatePath(), "--save", path("out.fs")});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.err.find("No files to process.\n"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(std::filesystem::exists(path("out.fs")));
}

}  // namespace
}  // namespace brimwell::testing
