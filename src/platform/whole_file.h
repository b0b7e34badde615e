// Reading a whole file by its native path, for the files the tool reads back (templates,
// file lists).
#pragma once

#include <cstdint>
#include <string>

namespace brimwell {

// Reads the regular file `nativePath` whole into `contents`. Returns the Windows error
// number, 0 on success; anything else (a folder, a pipe, a device) is refused with 5
// without being waited on.
int readWholeFile(const std::string& nativePath, std::string& contents);

// As readWholeFile(), but a file of more than `limit` bytes is refused with 223 (file too
// large) before it is read, as is one that grows past `limit` while it is read; `size` is
// then the size found.
int readWholeFileUpTo(const std::string& nativePath, std::uint64_t limit, std::string& contents,
                      std::uint64_t& size);

// What the native path names, its links followed.
enum class FileKind { Missing, Regular, Other /* a folder, a pipe, a device, a socket */ };
FileKind fileKind(const std::string& nativePath);

}  // namespace brimwell
