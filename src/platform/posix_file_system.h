// The file system of a POSIX system, behind the tool's FileSystem interface.
//
// Paths: "\" and "/" both separate. A leading drive letter ("d:") is looked up in a
// drive map; by default only "c:" is mapped, to the root "/", so that the census default
// "c:\" works, while any other drive fails as a missing drive does on Windows. Tests map a
// drive to a temporary folder to run the Windows-style paths as written.
//
// A file without any write permission bit is read-only: replacing or deleting it is
// refused with 5, also for root, as Windows refuses administrators on read-only files.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

#include "platform/file_system.h"

namespace brimwell {

class PosixFileSystem : public FileSystem {
 public:
  PosixFileSystem();

  // Maps drive `letter` (either case) to the native folder `root`.
  void mapDrive(char letter, std::string root);

  // True when `name` in the native folder `nativeFolder` is where another file system is
  // mounted; walks count such a folder but do not enter it.
  bool isMountPointOf(const std::string& nativeFolder, const std::string& name);

  // The native path for a tool path, or false when it names an unmapped drive or holds a
  // NUL character (`error` then says which Windows error that is).
  bool toNative(const std::string& path, std::string& native, int& error) const;

  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes) override;
  bool attributes(const std::string& path, PathAttributes& out) override;
  int createFolder(const std::string& path) override;
  std::unique_ptr<WritableFile> createFile(const std::string& path, int& error) override;
  int readFile(const std::string& path, std::string& contents) override;
  int deleteFile(const std::string& path) override;
  // Listings share only the drive map (not changed during a walk) and the set of mount
  // points (loaded once, under a once flag).
  bool allowsConcurrentListing() const override { return true; }

 private:
  // Read from the system once, at the first question, by whichever thread asks first.
  struct MountPoints {
    std::once_flag loaded;
    std::unordered_set<std::string> paths;
  };
  void loadMountPoints();

  std::map<char, std::string> drives_;
  // Shared by copies, so that the file system stays copyable and movable.
  std::shared_ptr<MountPoints> mountPoints_ = std::make_shared<MountPoints>();
};

// The Windows error number for a failed POSIX call's errno. `missingIsFolder` picks 3
// over 2 for ENOENT (a path through a missing folder rather than a missing file).
int windowsErrorFromErrno(int errnoValue, bool missingIsFolder);

}  // namespace brimwell
