// The file system of a POSIX system, behind the tool's FileSystem interface.
//
// Paths: "\" and "/" both separate. A leading drive letter ("d:") is looked up in a
// drive map; by default only "c:" is mapped, to the root "/", so that the census default
// "c:\" works, while any other drive fails as a missing drive does on Windows. Tests map a
// drive to a temporary folder to run the Windows-style paths as written.
//
// A file without any write permission bit is read-only: replacing or deleting it is
// refused with 5, also for root, as Windows refuses administrators on read-only files.
//
// Confined (confineTo), folders are made, files created and deleted through descriptors
// opened one folder at a time without following links below the trusted folders; the
// folders of the last request are kept open for the next one.
#pragma once

#include <sys/stat.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>

#include "platform/confined_walk_posix.h"
#include "platform/file_system.h"

namespace brimwell {

class PosixFileSystem : public FileSystem {
 public:
  PosixFileSystem();

  // Maps drive `letter` (either case) to the native folder `root`.
  void mapDrive(char letter, std::string root);

  // True when the folder `name` in the open folder `folderFd` is where another file system
  // is mounted; walks count such a folder but do not enter it. Decided by device numbers,
  // so however the location is spelled ("/./", "//", "a/../a", through a link); only names
  // that some mount point ends in are looked at. `folderDevice` caches the open folder's
  // device (0 until it is read).
  // `repeated` is set when the folder mounted there is the open folder itself or one of the
  // folders above it (a folder mounted again inside itself, on the same file system).
  bool isMountPointOf(int folderFd, const std::string& name, std::uint64_t& folderDevice,
                      bool& repeated);

  // The native path for a tool path, or false when it names an unmapped drive or holds a
  // NUL character (`error` then says which Windows error that is).
  bool toNative(const std::string& path, std::string& native, int& error) const;

  std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes,
                                            int& error) override;
  bool attributes(const std::string& path, PathAttributes& out) override;
  void confineTo(const std::optional<std::string>& target) override;
  int createFolder(const std::string& path) override;
  std::unique_ptr<WritableFile> createFile(const std::string& path, int& error) override;
  std::unique_ptr<WritableFile> createNewFile(const std::string& path, int& error) override;
  std::unique_ptr<WritableFile> replaceFile(const std::string& path, int& error) override;
  int readFile(const std::string& path, std::string& contents) override;
  int deleteFile(const std::string& path) override;
  int renameFile(const std::string& from, const std::string& to) override;
  std::unique_ptr<WritableFile> appendToFile(const std::string& path, int& error) override;
  // Listings share only the drive map (not changed during a walk) and the set of mount
  // points (loaded once, under a once flag).
  bool allowsConcurrentListing() const override { return true; }

 private:
  // Read from the system once, at the first question, by whichever thread asks first.
  struct MountPoints {
    std::once_flag loaded;
    std::unordered_set<std::string> names;  // the last component of every mount point
  };
  void loadMountPoints();

  // createFile, or createNewFile when `exclusive`.
  std::unique_ptr<WritableFile> create(const std::string& path, bool exclusive, int& error);
  std::unique_ptr<WritableFile> createConfined(const std::string& native, bool exclusive,
                                               int& error);
  int deleteConfined(const std::string& native);
  int renameConfined(const std::string& from, const std::string& to);
  std::unique_ptr<WritableFile> appendConfined(const std::string& native, int& error);

  // The walk below the native folder links are trusted in, with the folders it keeps open;
  // null when requests are not confined. Shared by copies (see mountPoints_); a copy
  // confined anew gets a walk of its own.
  std::shared_ptr<ConfinedWalk> confined_;

  std::map<char, std::string> drives_;
  // Shared by copies, so that the file system stays copyable and movable.
  std::shared_ptr<MountPoints> mountPoints_ = std::make_shared<MountPoints>();
};

// The Windows error number for a failed POSIX call's errno. `missingIsFolder` picks 3
// over 2 for ENOENT (a path through a missing folder rather than a missing file). Notes the
// errno and its words for the failure that reports the number (system_error.h).
int windowsErrorFromErrno(int errnoValue, bool missingIsFolder);

// `windowsCode`, for a request the tool refuses itself; notes `words` ("it is a symbolic
// link, not followed") as what happened.
int refusedBecause(int windowsCode, std::string words);
// `windowsCode`, for a refusal that its message says in full.
int refused(int windowsCode);

// What a file that is not a regular one is told as: "it is a named pipe, not a regular file";
// a symbolic link as kLinkNotFollowed.
std::string notRegularFileWords(const struct stat& st);

// What a refused link is told as.
inline constexpr const char* kLinkNotFollowed = "it is a symbolic link, not followed";

// One write request to the descriptor `fd`, as WritableFile::write makes it.
int writeToDescriptor(int fd, const void* data, std::size_t size, std::size_t& written);

}  // namespace brimwell
