// Replacing a file in one piece, by its native path: the new contents go to a new file
// beside the old one, which takes the old one's place only once it is whole on the disk.
//
// The new file is created exclusively, never through a link, in the destination's folder
// under a name only a replacement makes: ".NAME.brimwell-new.XXXXXX" for the file NAME.
// close() flushes it to the disk, gives it the old file's permissions (and, where the
// process may, its owner) and renames it over the destination. A symbolic link at the name
// is treated as LinkAtName says: refused, or followed (the file the link leads to is
// replaced and the link stays) only where the system's rule for shared folders would follow
// it. Any failure, and destroying the file unclosed, removes the new file and leaves the old
// one whole. A read-only destination or a folder is refused with 5. A destination that
// exists but is not a regular file (a device, a pipe) cannot be renamed over: it is written
// in place.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace brimwell {

// What a replacement does with a symbolic link that stands at the destination's name.
enum class LinkAtName {
  // Followed, link by link, as the kernel follows links where fs.protected_symlinks is set:
  // a link in a sticky, world-writable folder (such as /tmp) only when it belongs to the
  // user running the tool or to the folder's owner. For a file the user named.
  FollowProtected,
  // Refused: for a file the tool named itself, which no link of anyone's may redirect.
  Refuse,
};

// The file that replacing `nativePath` writes: `nativePath` itself, or where the links at
// its name lead as `links` allows. Returns 0, or 5 for a link refused (the reason noted as
// the system error, system_error.h).
int replacementDestination(const std::string& nativePath, LinkAtName links,
                           std::string& destination);

// Removes the new files that replacements of `nativePath` left beside its destination when
// their process was killed before it renamed or removed them: regular files named as only a
// replacement names them, nothing else. Call it only while no other replacement of the same
// file can be under way (holding the file's lock). Returns how many were removed.
int removeStaleReplacements(const std::string& nativePath, LinkAtName links);

class ReplacementFile : public WritableFile {
 public:
  // Opens the new file for `nativePath`. Returns null and sets `error` (the Windows error
  // number) when it cannot be made.
  static std::unique_ptr<ReplacementFile> open(const std::string& nativePath, int& error,
                                               LinkAtName links = LinkAtName::FollowProtected);

  // Flushes the new file, renames it over the destination and keeps it open; returns the
  // Windows error number (0 on success). On failure the new file is removed.
  virtual int commit() = 0;
};

// Replaces the file at `nativePath` by `text` as above; returns the Windows error number, 0
// on success (a write that makes no progress is a full drive, 112).
int replaceFileWithText(const std::string& nativePath, std::string_view text,
                        LinkAtName links = LinkAtName::FollowProtected);

}  // namespace brimwell
