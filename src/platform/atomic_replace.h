// Replacing a file in one piece, by its native path: the new contents go to a new file
// beside the old one, which takes the old one's place only once it is whole on the disk.
//
// The new file is created exclusively under a unique name in the destination's folder,
// never through a link. close() flushes it to the disk, gives it the old file's
// permissions (and, where the process may, its owner) and renames it over the destination;
// when the destination is a symbolic link, the file the link leads to is replaced and the
// link stays. Any failure, and destroying the file unclosed, removes the new file and
// leaves the old one whole. A read-only destination or a folder is refused with 5. A
// destination that exists but is not a regular file (a device, a pipe) cannot be renamed
// over: it is written in place.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace brimwell {

class ReplacementFile : public WritableFile {
 public:
  // Opens the new file for `nativePath`. Returns null and sets `error` (the Windows error
  // number) when it cannot be made.
  static std::unique_ptr<ReplacementFile> open(const std::string& nativePath, int& error);

  // Flushes the new file, renames it over the destination and keeps it open; returns the
  // Windows error number (0 on success). On failure the new file is removed.
  virtual int commit() = 0;
};

// Replaces the file at `nativePath` by `text` as above; returns the Windows error number, 0
// on success (a write that makes no progress is a full drive, 112).
int replaceFileWithText(const std::string& nativePath, std::string_view text);

}  // namespace brimwell
