// Trees that a walk must get through whole: special files (a pipe, a device node) among
// regular ones, and a chain of folders deeper than the system's path limit.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace brimwell::testing {

// A named pipe at `path`.
void makeFifo(const std::string& path);

// Opens the pipe `path` at both ends once, if still alive after 10 seconds: a reader or
// writer stuck opening it then goes on, so that a test of code that must not wait fails
// rather than hangs.
class PipeGuard {
 public:
  explicit PipeGuard(std::string path);
  ~PipeGuard();
  PipeGuard(const PipeGuard&) = delete;
  PipeGuard& operator=(const PipeGuard&) = delete;

 private:
  std::string path_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};
// A character device with the numbers of /dev/null at `path`; false when this process may
// not make one (it is not root).
bool makeNullDevice(const std::string& path);

// `levels` nested folders of 200-character names in the folder `root`, each holding the
// file "f" of as many bytes as its depth (1 to `levels`), made one folder relative to the
// other: 21 levels pass PATH_MAX. Removed with everything in it when this goes.
class DeepChain {
 public:
  DeepChain(std::string root, int levels);
  ~DeepChain();
  DeepChain(const DeepChain&) = delete;
  DeepChain& operator=(const DeepChain&) = delete;

  // The whole path of the deepest folder, with its trailing "/".
  const std::string& deepest() const { return deepest_; }
  // The sum of the files' sizes.
  std::int64_t bytes() const { return static_cast<std::int64_t>(levels_) * (levels_ + 1) / 2; }

 private:
  std::string root_;
  int levels_;
  std::string deepest_;
};

}  // namespace brimwell::testing
