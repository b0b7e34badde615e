#include "support/cli_runner.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace brimwell::testing {
namespace {

std::string readAll(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    text.append(buffer, got);
  }
  return text;
}

std::vector<std::string> commandWords(const std::vector<std::string>& arguments) {
  std::vector<std::string> words{BRIMWELL_CLI_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  return words;
}

std::vector<char*> argvOf(std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return argv;
}

using Clock = std::chrono::steady_clock;

int exitCodeFromStatus(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Waits for `pid` until `deadline`; kills it then. Sets `run.exitCode` and `run.timedOut`.
void waitUntil(pid_t pid, Clock::time_point deadline, CliRun& run) {
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) break;
    if (Clock::now() >= deadline) {
      run.timedOut = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.exitCode = exitCodeFromStatus(status);
}

// Waits for the run `pid` until the deadline; what it wrote to `out` and `err`, which
// are closed.
CliRun waitForRun(pid_t pid, std::FILE* out, std::FILE* err) {
  CliRun run;
  waitUntil(pid, Clock::now() + std::chrono::seconds(kCliDeadlineSeconds), run);
  run.out = readAll(out);
  run.err = readAll(err);
  std::fclose(out);
  std::fclose(err);
  return run;
}

}  // namespace

CliRun runCli(const std::vector<std::string>& arguments, const std::string& workingFolder) {
  return runCliSignalled(arguments, nullptr, 0, workingFolder);
}

CliRun runCliSignalled(const std::vector<std::string>& arguments,
                       const std::function<bool()>& ready, int signal,
                       const std::string& workingFolder) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  if (out == nullptr || err == nullptr) throw std::runtime_error("tmpfile failed");

  std::vector<std::string> words = commandWords(arguments);
  std::vector<char*> argv = argvOf(words);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fileno(out), 1);
  posix_spawn_file_actions_adddup2(&actions, fileno(err), 2);
  if (!workingFolder.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
  }
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + words[0]);

  CliRun run;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(kCliDeadlineSeconds);
  const auto running = [pid] {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
  };
  while (ready && Clock::now() < deadline && running()) {
    if (ready()) {
      kill(pid, signal);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  waitUntil(pid, deadline, run);
  run.out = readAll(out);
  run.err = readAll(err);
  std::fclose(out);
  std::fclose(err);
  return run;
}

CliRun runCliLimited(const std::vector<std::string>& arguments, const CliLimits& limits) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  if (out == nullptr || err == nullptr) throw std::runtime_error("tmpfile failed");
  std::vector<std::string> words = commandWords(arguments);
  std::vector<char*> argv = argvOf(words);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int input = open("/dev/null", O_RDONLY);
    const rlimit files{limits.maxFiles, limits.maxFiles};
    const bool ready = input >= 0 && dup2(input, 0) == 0 && dup2(fileno(out), 1) == 1 &&
                       dup2(fileno(err), 2) == 2 &&
                       (limits.maxFiles == 0 || setrlimit(RLIMIT_NOFILE, &files) == 0) &&
                       (limits.uid == 0 || (setgroups(0, nullptr) == 0 && setgid(limits.uid) == 0 &&
                                            setuid(limits.uid) == 0));
    if (ready) execv(argv[0], argv.data());
    _exit(127);
  }
  return waitForRun(pid, out, err);
}

CliRun runCliOnTerminal(const std::vector<std::string>& arguments, const std::string& typed,
                        int deadlineSeconds) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(deadlineSeconds);
  std::vector<std::string> words = commandWords(arguments);
  std::vector<char*> argv = argvOf(words);
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid < 0) throw std::runtime_error("forkpty failed");
  if (pid == 0) {
    execv(argv[0], argv.data());
    _exit(127);
  }
  // Typed ahead: the terminal keeps it until the program reads its answer.
  if (write(terminal, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) {
    throw std::runtime_error("cannot type on the terminal");
  }
  CliRun run;
  char buffer[4096];
  // Reads what the terminal shows until the program has closed it, or the deadline.
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    pollfd shown{terminal, POLLIN, 0};
    const int ready = poll(&shown, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    const ssize_t got = read(terminal, buffer, sizeof buffer);
    if (got <= 0) break;
    run.out.append(buffer, static_cast<std::size_t>(got));
  }
  waitUntil(pid, deadline, run);
  close(terminal);
  return run;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> entriesOf(const std::string& listText) {
  std::vector<std::string> lines = linesOf(listText);
  if (!lines.empty() && lines.front().rfind("# target: ", 0) == 0) lines.erase(lines.begin());
  return lines;
}

}  // namespace brimwell::testing
