// The file system of Windows, behind the tool's FileSystem interface, through the ANSI
// calls of kernel32.
//
// Paths go to Windows as they are (a drive letter, "\" or "/" separating). Every refused
// request reports GetLastError's number unchanged, so the failure messages are the ones
// Windows itself would pick.
//
// Folder links (junctions and mounted volumes, symbolic links to folders: entries with
// the reparse-point attribute and the mount-point or symbolic-link tag) are listed as
// foreign folders: a walk counts them but does not enter them, so a link that leads back
// to an ancestor cannot make it go round forever. Other folders with a reparse point
// (cloud placeholders, deduplicated or projected folders) are entered like any other.
//
// Confined (confineTo), a request checks the attributes of every existing folder below the
// trusted ones and refuses one that is a reparse point; the file itself is opened with
// FILE_FLAG_OPEN_REPARSE_POINT and refused when it is one, and a link is deleted as itself.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/file_system.h"

// windows.h's find data, without windows.h.
struct _WIN32_FIND_DATAA;

namespace brimwell {

// The listing entry of one FindFirstFileA / FindNextFileA result.
void fillEntryFromFindData(const _WIN32_FIND_DATAA& found, bool withSizes, DirEntry& entry);

class Win32FileSystem : public FileSystem {
 public:
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
  // Each listing has its own find handle and nothing else is shared.
  bool allowsConcurrentListing() const override { return true; }

 private:
  // 5 when a folder of `path` below the trusted ones, or (with `leafToo`) the last
  // component itself, is a reparse point; 0 otherwise.
  int refuseLinks(const std::string& path, bool leafToo) const;
  // createFile, or createNewFile when `exclusive`.
  std::unique_ptr<WritableFile> create(const std::string& path, bool exclusive, int& error);

  std::optional<std::string> trusted_;
};

// One write request to the file `handle` (a HANDLE), as WritableFile::write makes it.
int writeToHandle(void* handle, const void* data, std::size_t size, std::size_t& written);

}  // namespace brimwell
