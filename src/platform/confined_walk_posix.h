// The walk down a path's folders that follows no symbolic link below a trusted folder.
//
// `trusted` is a native folder path ending in "/" (or empty for the current folder); the
// leading folders that a path shares with it are opened as usual, following links, since
// the user named them. Every folder after them is opened with O_NOFOLLOW relative to the
// one before (openat), so a link planted there cannot lead the request elsewhere, and
// nothing can be swapped in between the check and the use. The root "/" and the current
// folder are always trusted.
#pragma once

#include <string>

namespace brimwell {

// Opens the folder that holds the last component of the native path `native` (its
// trailing "/" removed) as an O_PATH descriptor in `folderFd` and puts that component in
// `leaf`. Returns 0, or the Windows error number: 5 for a link where a folder should be,
// 3 for a missing folder.
int openConfinedParent(const std::string& native, const std::string& trusted, int& folderFd,
                       std::string& leaf);

}  // namespace brimwell
