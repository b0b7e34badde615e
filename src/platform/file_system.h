// The file-system services the operations use, and nothing more.
//
// Paths are the tool's own paths (a drive letter and backslashes, or POSIX paths); each
// backend maps them to native ones. Every refused request reports the Windows error number
// that picks its message (2 missing file, 3 missing folder, 4 too many open files,
// 5 denied or read-only, 112 full drive, 123 bad name), so the operations and their
// messages are the same on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/windows_errors.h"

namespace brimwell {

// One entry of a folder listing. "." and ".." are listed like any other entry. A link is
// listed as Windows lists one: a link to a folder as a folder that is not entered, any
// other link as a file of size 0.
struct DirEntry {
  std::string name;
  bool isDirectory = false;
  // The listing shows a regular file (false where it does not tell).
  bool isRegularFile = false;
  // The folder lies on another file system (a mount point) or is a link to a folder
  // (a symbolic link, a junction): walks count it but do not enter it.
  bool isForeignDirectory = false;
  // The folder is one the walk is already inside (a folder mounted again inside itself):
  // walks name it and do not enter it, so nothing is counted twice. Also foreign.
  bool isRepeatedDirectory = false;
  // Size in bytes as the listing reports it; 0 unless sizes were asked for. Anything but
  // a regular file, a folder or a link (a pipe, a socket, a device) is a file of size 0,
  // and is never opened.
  std::uint64_t size = 0;
  // The Windows error number when the size was asked for and could not be read (the entry
  // is then listed with size 0); 0 otherwise.
  int error = 0;
  // The listing's own open folder (a descriptor on POSIX), through which the entry can be
  // opened without its folder being looked up again, while the listing is open; -1 where
  // the listing gives none.
  std::intptr_t folderHandle = -1;
};

// An open listing of one folder, read entry by entry in the file system's order.
class FolderListing {
 public:
  virtual ~FolderListing() = default;
  // Fills `entry` with the next entry; false at the end, or when the folder could not be
  // read further.
  virtual bool next(DirEntry& entry) = 0;
  // Once next() returned false: 0 when the listing reached the folder's end, else the
  // Windows error number of the failure that ended it early.
  virtual int error() const = 0;
};

struct PathAttributes {
  bool isDirectory = false;
  bool readOnly = false;
  std::uint64_t size = 0;
};

// A file opened for writing raw bytes.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // One write request. Returns the Windows error number (0 on success) and puts the
  // count of bytes written in `written`; a success may write fewer bytes than asked.
  virtual int write(const void* data, std::size_t size, std::size_t& written) = 0;
  // Gives the bytes from `offset` up to `offset + size` their place on the volume now,
  // rather than when the data is written out, and makes the file at least that long (the
  // bytes not yet written read as zeros); the places stay when the data is written. Returns
  // the Windows error number (0 on success) and sets `placed` to whether the range was
  // placed: a file system that cannot place it does nothing and succeeds with `placed` false.
  virtual int reserve(std::uint64_t offset, std::uint64_t size, bool& placed) {
    (void)offset;
    (void)size;
    placed = false;
    return 0;
  }
  // Takes the bytes from `offset` up to `offset + size` (whole blocks, ending before the
  // file does) out of the file and moves the bytes after them down; the bytes moved keep
  // their places on the volume, and the places of the bytes taken out become free. Returns
  // the Windows error number (0 on success); kNotSupported where the file system cannot,
  // the file unchanged.
  virtual int collapse(std::uint64_t offset, std::uint64_t size) {
    (void)offset;
    (void)size;
    return winerr::kNotSupported;
  }
  // Writes what was written out to the volume now and waits for it, so that its blocks are
  // placed before later writes are (not a flush of the drive's cache). Returns the Windows
  // error number (0 on success); a file system that cannot does nothing.
  virtual int writeOut() { return 0; }
  // Closes the file; returns the Windows error number (0 on success). Idempotent.
  virtual int close() = 0;
};

// Which methods may run on several threads at once: listFolder() and the listings it
// returns (each listing read on one thread) when allowsConcurrentListing() is true, and
// attributes() always, as the walks' pool threads call both. Everything else is called on
// one thread at a time, and not while a walk's pool runs on the same file system.
class FileSystem {
 public:
  // What renameFile and appendToFile answer where the file system cannot do them.
  static constexpr int kRenameUnsupported = 50;

  virtual ~FileSystem() = default;

  // Opens a listing of every entry of the folder `path` (with or without a trailing
  // separator, of any depth), whatever its attributes. With `withSizes` each file entry
  // carries its size. Returns null when the folder is missing or cannot be read, with the
  // Windows error number in `error` (2 or 3 for a missing one).
  virtual std::unique_ptr<FolderListing> listFolder(const std::string& path, bool withSizes,
                                                    int& error) = 0;

  // Attributes of a path (a link to a folder counts as that folder); false when they
  // cannot be read. Safe to call on several threads at once.
  virtual bool attributes(const std::string& path, PathAttributes& out) = 0;

  // Keeps the requests that make folders, create files and delete files from following
  // links (symbolic links; on Windows, reparse points) below `target`, a folder the user
  // named (ending in a separator or ":"; empty for the current folder). Links are followed
  // only in the leading folders a request's path shares with `target`; any further folder,
  // and the file itself, is entered or opened without following a link, and a link met
  // there refuses the request with 5 (a file that is a link is deleted as the link only).
  // Nothing (the default) lifts the confinement: every link is followed.
  virtual void confineTo(const std::optional<std::string>& target) { (void)target; }

  // Creates one folder (not its parents). Returns the Windows error number, 0 on success.
  virtual int createFolder(const std::string& path) = 0;

  // Creates a file for writing, or truncates an existing one; other programs may still
  // read and write it. A read-only file is refused with 5. Returns null and sets `error`
  // on refusal.
  virtual std::unique_ptr<WritableFile> createFile(const std::string& path, int& error) = 0;

  // Creates a new file for writing, only where nothing is at `path` yet: an existing file,
  // folder or link (even one that leads nowhere) is refused with 80, and the file is never
  // made through a link. Other requests' refusals are as createFile gives them.
  virtual std::unique_ptr<WritableFile> createNewFile(const std::string& path, int& error) = 0;

  // Opens a new file that replaces `path` when it is closed: it is created exclusively
  // beside `path` under a unique name and never through a link, and closing it flushes it
  // to the disk, gives it the old file's permissions and renames it over `path` (over a
  // link's target when `path` is a link). A failed close, or destroying it unclosed,
  // removes the new file and leaves the old one whole. A read-only file is refused with 5.
  // A file system that cannot do that creates (truncates) `path` itself.
  virtual std::unique_ptr<WritableFile> replaceFile(const std::string& path, int& error) {
    return createFile(path, error);
  }

  // Renames the file `from` to `to`, replacing a file already at `to`, in one step: a reader
  // finds the old file or the new one at `to`, never neither. The data stays where it was
  // written. Neither name may be a folder (refused with 5); links are confined as for
  // createFile, and a file that is a link is renamed as the link. Returns the Windows error
  // number, 0 on success; a file system that cannot rename refuses with 50.
  virtual int renameFile(const std::string& from, const std::string& to) {
    (void)from;
    (void)to;
    return kRenameUnsupported;
  }

  // Opens the existing regular file `path` for writing at its end, so that what is written
  // grows it. A missing file is refused with 2, a read-only one, a folder or a link with 5.
  // Returns null and sets `error` on refusal; a file system that cannot refuses with 50.
  virtual std::unique_ptr<WritableFile> appendToFile(const std::string& path, int& error) {
    (void)path;
    error = kRenameUnsupported;
    return nullptr;
  }

  // Reads a whole regular file into `contents`. Returns the Windows error number, 0 on
  // success; anything else (a folder, a pipe, a device) is refused with 5 without waiting
  // on it.
  virtual int readFile(const std::string& path, std::string& contents) = 0;

  // Deletes one file (never a folder). A read-only file is refused with 5.
  // Returns the Windows error number, 0 on success.
  virtual int deleteFile(const std::string& path) = 0;

  // True when listings may be opened and read on two threads at once (each listing read
  // on one thread): then the census reads ahead on a helper thread.
  virtual bool allowsConcurrentListing() const { return false; }
};

}  // namespace brimwell
