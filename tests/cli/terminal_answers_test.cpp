// brimwell-cli on a terminal: questions are asked there and the progress bar is drawn.
#include <filesystem>
#include <string>

#include "cli/cli_fixture.h"

namespace brimwell::testing {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(CliTest, OnATerminalTheUserAnswersTheQuestionAndSeesTheProgressBar) {
  ASSERT_EQ(build("a.txt", "3", 30).exitCode, 0);

  const CliRun declined =
      runCliOnTerminal({"reproduce", "--list", path("a.txt"), "--seed", "1"}, "n\n");
  EXPECT_EQ(declined.exitCode, 3) << declined.out;
  EXPECT_TRUE(contains(declined.out, "Proceed now?\r\nOK to go ahead? [y/N] ")) << declined.out;
  EXPECT_TRUE(contains(declined.out, "Cancelled.")) << declined.out;
  EXPECT_FALSE(std::filesystem::exists(target()));

  const CliRun accepted =
      runCliOnTerminal({"reproduce", "--list", path("a.txt"), "--seed", "1"}, "y\n");
  EXPECT_EQ(accepted.exitCode, 0) << accepted.out;
  EXPECT_TRUE(contains(accepted.out, "\r[########################################] 100%"))
      << accepted.out;
  EXPECT_EQ(filesOnDisk().size(), 30u);
}

}  // namespace
}  // namespace brimwell::testing
