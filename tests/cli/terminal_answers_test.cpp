// brimwell-cli on a terminal: questions are asked there and the progress bar is drawn.
#include <chrono>
#include <filesystem>
#include <string>

#include "cli/cli_fixture.h"
#include "support/contains.h"

namespace brimwell::testing {
namespace {

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

TEST_F(CliTest, ACommandThatHangsIsKilledAtItsDeadline) {
  ASSERT_EQ(build("a.txt", "3", 3).exitCode, 0);
  // Nothing is typed, so the question waits for ever.
  const auto started = std::chrono::steady_clock::now();
  const CliRun hung = runCliOnTerminal({"reproduce", "--list", path("a.txt")}, "", 2);
  EXPECT_TRUE(hung.timedOut);
  EXPECT_NE(hung.exitCode, 0);
  EXPECT_TRUE(contains(hung.out, "OK to go ahead? [y/N] ")) << hung.out;
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
  EXPECT_FALSE(std::filesystem::exists(target()));
}

}  // namespace
}  // namespace brimwell::testing
