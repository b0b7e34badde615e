// Reading the files the tool reads back (templates, file lists) by their native paths:
// whole, or block by block for a file too large to hold twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace brimwell {

// A regular file open for reading from its start.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // Reads up to `size` bytes into `data` and puts the count in `got` (0 at the end).
  // Returns the Windows error number, 0 on success.
  virtual int read(void* data, std::size_t size, std::size_t& got) = 0;
  // The file's size when it was opened (a hint: the file may change while it is read).
  virtual std::uint64_t size() const = 0;
};

// Opens the regular file `nativePath` for reading. Returns null and sets `error` (the
// Windows error number) when it cannot be opened; anything else (a folder, a pipe, a
// device) is refused with 5 without being waited on.
std::unique_ptr<ReadableFile> openRegularFile(const std::string& nativePath, int& error);

// Reads the regular file `nativePath` whole into `contents`, as openRegularFile opens it.
// Returns the Windows error number, 0 on success.
int readWholeFile(const std::string& nativePath, std::string& contents);

// As readWholeFile(), but a file of more than `limit` bytes is refused with 223 (file too
// large) before it is read, as is one that grows past `limit` while it is read; `size` is
// then the size found.
int readWholeFileUpTo(const std::string& nativePath, std::uint64_t limit, std::string& contents,
                      std::uint64_t& size);

// What the native path names, its links followed.
enum class FileKind { Missing, Regular, Folder, Other /* a pipe, a device, a socket */ };
FileKind fileKind(const std::string& nativePath);

// What the folder part of the native path names (Folder for a path without one: the current
// folder), so a file about to be written can be refused before the work that leads to it.
FileKind folderKindOf(const std::string& nativePath);

}  // namespace brimwell
