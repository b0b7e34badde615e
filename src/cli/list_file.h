// The file list as a text file, so that the steps of a job can run as separate commands.
//
// One file entry a line, in list order: the path, a TAB, the size in bytes as decimal
// text, then LF. On reading, a CR before the LF is part of the line end, empty lines are
// skipped, and the size is what follows the last TAB (so a path may itself hold a TAB).
// A line that does not have this shape fails with its line number before anything is
// added to the table, so a bad list never reaches an operation.
//
// Writing replaces the file in one piece: the text goes to a temporary file beside it,
// which is then renamed over the old one, so a failed write leaves the old list whole.
// A path that names something other than a regular file (a device, a pipe) is written
// in place.
#pragma once

#include <string>
#include <string_view>

#include "app/text_table.h"

namespace brimwell::cli {

// Replaces the rows of `files1` by the entries of `text`; `name` names the list in
// messages. Fails with "The file list NAME, line N: ..." on a malformed line, leaving
// `files1` unchanged.
void parseFileList(std::string_view text, std::string_view name, TextTable& files1);

// The text of the list: caption TAB size LF for every row (an empty size for a row that
// has none).
std::string fileListText(const TextTable& files1);

// Reads the list file at the native path `path` into `files1`.
void readFileList(const std::string& path, TextTable& files1);

// Writes `files1` to the native path `path`, replacing the file as described above.
void writeFileList(const std::string& path, const TextTable& files1);

// Fails unless the folder that would hold the list file `path` exists, so a long build
// does not end in an unwritable list.
void checkFileListFolder(const std::string& path);

}  // namespace brimwell::cli
