#include "support/hard_trees.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <stdexcept>

namespace brimwell::testing {
namespace {

const std::string kLevelName(200, 'd');

// Everything in the open folder `folder`, relative to it, however deep.
void removeInside(int folder) {
  DIR* listing = fdopendir(dup(folder));
  if (listing == nullptr) return;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const int inner = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (inner >= 0) {
      removeInside(inner);
      close(inner);
      unlinkat(folder, name.c_str(), AT_REMOVEDIR);
    } else {
      unlinkat(folder, name.c_str(), 0);
    }
  }
  closedir(listing);
}

}  // namespace

void makeFifo(const std::string& path) {
  if (mkfifo(path.c_str(), 0644) != 0) throw std::runtime_error("mkfifo " + path);
}

PipeGuard::PipeGuard(std::string path)
    : path_(std::move(path)), thread_([this] {
        std::unique_lock lock(mutex_);
        if (done_.wait_for(lock, std::chrono::seconds(10), [this] { return finished_; })) return;
        const int both = open(path_.c_str(), O_RDWR | O_NONBLOCK);
        if (both >= 0) close(both);
      }) {}

PipeGuard::~PipeGuard() {
  {
    const std::lock_guard lock(mutex_);
    finished_ = true;
  }
  done_.notify_all();
  thread_.join();
}

bool makeNullDevice(const std::string& path) {
  struct stat null {};
  return stat("/dev/null", &null) == 0 && mknod(path.c_str(), S_IFCHR | 0666, null.st_rdev) == 0;
}

DeepChain::DeepChain(std::string root, int levels) : root_(std::move(root)), levels_(levels) {
  if (mkdir(root_.c_str(), 0755) != 0) throw std::runtime_error("mkdir " + root_);
  int folder = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
  deepest_ = root_ + "/";
  for (int level = 1; level <= levels && folder >= 0; ++level) {
    mkdirat(folder, kLevelName.c_str(), 0755);
    const int inner = openat(folder, kLevelName.c_str(), O_RDONLY | O_DIRECTORY);
    close(folder);
    folder = inner;
    deepest_ += kLevelName + "/";
    const int file = openat(folder, "f", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string bytes(static_cast<std::size_t>(level), 'x');
    const bool written = file >= 0 && write(file, bytes.data(), bytes.size()) == level;
    if (file >= 0) close(file);
    if (!written) folder = -1;
  }
  if (folder < 0) throw std::runtime_error("cannot make the deep chain in " + root_);
  close(folder);
}

DeepChain::~DeepChain() {
  const int folder = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
  if (folder < 0) return;
  removeInside(folder);
  close(folder);
  rmdir(root_.c_str());
}

}  // namespace brimwell::testing
