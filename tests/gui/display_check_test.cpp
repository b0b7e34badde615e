// Starting without a display: a clear message on how to get one, and a non-zero exit.
#include <gtest/gtest.h>

#include <QProcess>
#include <map>

#include "gui/display_check.h"

namespace brimwell::testing {
namespace {

gui::EnvironmentReader environment(std::map<std::string, std::string> variables) {
  return [variables](const char* name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
}

std::optional<std::string> check(std::map<std::string, std::string> variables,
                                 std::vector<std::string> arguments = {}) {
  std::vector<char*> argv{const_cast<char*>("Brimwell")};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  return gui::missingDisplayMessage(static_cast<int>(argv.size()), argv.data(),
                                    environment(std::move(variables)));
}

TEST(DisplayCheck, AnyDisplayOrPlatformLetsTheWindowStart) {
  EXPECT_FALSE(check({{"DISPLAY", ":0"}}));
  EXPECT_FALSE(check({{"WAYLAND_DISPLAY", "wayland-0"}}));
  EXPECT_FALSE(check({{"QT_QPA_PLATFORM", "offscreen"}}));
  EXPECT_FALSE(check({}, {"-platform", "offscreen"}));
}

TEST(DisplayCheck, WithoutOneTheMessageSaysHowToGetOne) {
  for (const auto& variables : {std::map<std::string, std::string>{},
                                std::map<std::string, std::string>{{"DISPLAY", ""}}}) {
    const std::optional<std::string> message = check(variables);
    ASSERT_TRUE(message);
    EXPECT_NE(message->find("no display"), std::string::npos);
    EXPECT_NE(message->find("xvfb-run"), std::string::npos);
    EXPECT_NE(message->find("QT_QPA_PLATFORM=offscreen"), std::string::npos);
    EXPECT_EQ(message->find("./Brimwell"), std::string::npos) << "not only in the build folder";
  }
}

TEST(DisplayCheck, TheProgramExitsWithTheMessageWhenThereIsNoDisplay) {
  QProcess program;
  QProcessEnvironment bare;
  bare.insert("PATH", qEnvironmentVariable("PATH"));
  program.setProcessEnvironment(bare);
  program.start(QStringLiteral(BRIMWELL_EXECUTABLE), {});
  ASSERT_TRUE(program.waitForFinished(30000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_NE(program.exitCode(), 0);
  EXPECT_TRUE(program.readAllStandardError().contains("no display"));
}

}  // namespace
}  // namespace brimwell::testing
