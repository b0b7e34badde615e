// The caption of the notices and error boxes comes from the executable's real file name,
// not from the name it was started by.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <string>
#include <vector>

extern char** environ;

namespace brimwell::testing {
namespace {

// Starts this test program as `name` (its argv[0]) in title mode; what it prints.
std::string titleWhenStartedAs(const char* name) {
  int out[2];
  if (pipe(out) != 0) return "no pipe";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> environment{"BRIMWELL_PRINT_TITLE=1"};
  for (char** variable = environ; *variable != nullptr; ++variable) {
    environment.emplace_back(*variable);
  }
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);
  char* argv[] = {const_cast<char*>(name), nullptr};
  const std::string self = QCoreApplication::applicationFilePath().toStdString();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string printed;
  char buffer[256];
  for (ssize_t got; spawned == 0 && (got = read(out[0], buffer, sizeof buffer)) > 0;) {
    printed.append(buffer, static_cast<std::size_t>(got));
  }
  close(out[0]);
  if (spawned != 0) return "not started";
  int status = 0;
  waitpid(pid, &status, 0);
  return printed;
}

TEST(ApplicationTitle, ComesFromTheExecutablesFileNameNotTheNameTyped) {
  // This program's file is gui_tests, so its title is "gui_tests" however it was started
  // (started as "brimwell" the old way gave "brimwell", as "BRIMWELL.EXE" "Brimwell").
  EXPECT_EQ(titleWhenStartedAs("brimwell"), "gui_tests\n");
  EXPECT_EQ(titleWhenStartedAs("C:\\Tools\\BRIMWELL.EXE"), "gui_tests\n");
}

}  // namespace
}  // namespace brimwell::testing
