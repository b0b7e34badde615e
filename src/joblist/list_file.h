// The file list as a text file, so that the steps of a job can run as separate commands.
//
// One file entry a line, in list order: the path, a TAB, the size in bytes as decimal
// text, then LF. On reading, a CR before the LF is part of the line end, empty lines are
// skipped, and the size is what follows the last TAB (so a path may itself hold a TAB).
// A line that does not have this shape fails with its line number before anything is
// added to the table, so a bad list never reaches an operation.
//
// The first line may record the job's target folder, "# target: DIR" without a TAB (a line
// with a TAB is an entry); a list without it is read as before. An empty list is written as an
// empty file.
//
// Lists are read and written in large blocks, straight from and into the table: the file's
// text is never held whole in memory.
//
// Writing replaces the file in one piece: the text goes to a new file beside it (under a
// unique name, created exclusively, never through a link), which is synced and then
// renamed over the old one, so a failed write leaves the old list whole. A list that is a
// link is replaced at the link's target, and keeps its permissions. A path that names
// something other than a regular file (a device, a pipe) is written in place; commands that
// rewrite a list refuse such a path (ListLock).
//
// A line refused names the list, the line number and the line itself, its control bytes and
// invisible characters (a byte-order mark) escaped.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/text_table.h"
#include "platform/atomic_replace.h"

namespace brimwell::joblist {

// What a list file holds besides its entries.
struct ListHeader {
  std::optional<std::string> target;  // the folder of "# target: DIR"
};

// Asked about every entry's path while a list is read (after its header line): the reason
// the entry is refused, or nothing.
using EntryCheck = std::function<std::optional<std::string>(std::string_view path)>;

// Told of every entry as a list is written, in list order, so that what is written can be
// counted in the same pass.
class ListEntrySink {
 public:
  virtual ~ListEntrySink() = default;
  virtual void entry(std::string_view path, std::string_view size) = 0;
};

// How a list is written: what it leaves out of the table, whom it tells of each entry,
// which entries come first, and what a symbolic link at the list's name may do.
struct ListWriteOptions {
  const std::vector<bool>* leaveOut = nullptr;  // one flag a row: true leaves the row out
  ListEntrySink* sink = nullptr;
  // Entries written before the table's, as they are (a list's kept entries).
  const TextTable* first = nullptr;
  LinkAtName links = LinkAtName::FollowProtected;  // atomic_replace.h
};

// Replaces the rows of `files1` by the entries of `text`; `name` names the list in
// messages. Fails with "The file list NAME, line N: ..." on a malformed line, leaving
// `files1` unchanged.
void parseFileList(std::string_view text, std::string_view name, TextTable& files1);
// The same, putting the recorded target in `header` and refusing, with its line number, the
// first entry that `check` (when given) refuses.
void parseFileList(std::string_view text, std::string_view name, TextTable& files1,
                   ListHeader& header, const EntryCheck& check);

// The text of the list: caption TAB size LF for every row (an empty size for a row that
// has none).
std::string fileListText(const TextTable& files1);
// The same with the header's target line first, unless the list (as written) is empty.
std::string fileListText(const TextTable& files1, const ListHeader& header,
                         const ListWriteOptions& options = {});

// Reads the list file at the native path `path` into `files1`.
void readFileList(const std::string& path, TextTable& files1);
void readFileList(const std::string& path, TextTable& files1, ListHeader& header,
                  const EntryCheck& check);

// Writes `files1` to the native path `path`, replacing the file as described above.
void writeFileList(const std::string& path, const TextTable& files1);
void writeFileList(const std::string& path, const TextTable& files1, const ListHeader& header,
                   const ListWriteOptions& options = {});

// Fails unless the folder that would hold the list file `path` exists, so a long build
// does not end in an unwritable list.
void checkFileListFolder(const std::string& path);

}  // namespace brimwell::joblist
