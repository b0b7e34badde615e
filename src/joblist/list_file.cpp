#include "joblist/list_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/context.h"
#include "app/failure.h"
#include "app/message_text.h"
#include "joblist/list_target.h"
#include "platform/atomic_replace.h"
#include "platform/system_error.h"
#include "platform/whole_file.h"
#include "platform/windows_errors.h"

namespace brimwell::joblist {
namespace {

struct ListLine {
  std::string_view path;
  std::string_view size;
};

// Splits one line (its line end removed) at its last TAB; returns the reason when the
// line has no valid shape, empty when it is fine.
std::string checkLine(std::string_view line, ListLine& out) {
  const std::size_t tab = line.rfind('\t');
  if (tab == std::string_view::npos) return "there is no TAB between the path and the size";
  out.path = line.substr(0, tab);
  out.size = line.substr(tab + 1);
  if (out.path.empty()) return "the path is empty";
  std::string_view digits = out.size;
  if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || digits.front() == '-' || error != std::errc() ||
      end != digits.data() + digits.size()) {
    return "the size '" + std::string(out.size) + "' is not a whole number of bytes";
  }
  return {};
}

[[noreturn]] void failWriting(const std::string& path, const SystemError& error) {
  throw Failure("Cannot write the file list '" + path + "': " + systemErrorText(error));
}

[[noreturn]] void failWritingCode(const std::string& path, int windowsError) {
  throw Failure("Cannot write the file list '" + path + "': " + ioErrorText(windowsError));
}

// The target of a first line "# target: DIR", or nothing.
std::optional<std::string_view> targetLine(std::string_view line) {
  // An entry always holds a TAB, so a line with one is an entry whatever it starts with.
  if (line.substr(0, kTargetLinePrefix.size()) != kTargetLinePrefix ||
      line.find('\t') != std::string_view::npos) {
    return std::nullopt;
  }
  line.remove_prefix(kTargetLinePrefix.size());
  // A stray CR cannot be written back as part of the line: it is not part of the folder.
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Takes a list's text in pieces, line by line, into a table of its own, so that a bad line
// leaves the caller's table as it was.
class ListParser {
 public:
  ListParser(std::string_view name, std::size_t columns, ListHeader& header,
             const EntryCheck& check)
      : name_(name), header_(header), check_(check), rows_(columns) {}

  // Sizes the table for a text of `totalBytes` whose first part is `sample`.
  void reserveFor(std::string_view sample, std::uint64_t totalBytes) {
    if (sample.empty()) return;
    const auto lines = static_cast<double>(std::count(sample.begin(), sample.end(), '\n') + 1);
    const double scale = static_cast<double>(totalBytes) / static_cast<double>(sample.size());
    rows_.reserve(static_cast<std::size_t>(lines * scale * 1.02) + 16,
                  static_cast<std::size_t>(totalBytes));
  }

  // Takes the whole lines at the start of `text` (all of it, `atEnd`); returns the count of
  // bytes taken.
  std::size_t take(std::string_view text, bool atEnd) {
    std::size_t taken = 0;
    while (taken < text.size()) {
      const char* start = text.data() + taken;
      const auto* lf = static_cast<const char*>(std::memchr(start, '\n', text.size() - taken));
      if (lf == nullptr && !atEnd) break;
      const std::size_t length = lf == nullptr ? text.size() - taken : std::size_t(lf - start);
      std::string_view line(start, length);
      taken += length + (lf == nullptr ? 0 : 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      this->line(line);
    }
    return taken;
  }

  // Hands over what was read: the rows into `files1`, the target into the header.
  void finish(TextTable& files1) {
    header_.target = std::move(target_);
    files1.takeRows(std::move(rows_));
  }

 private:
  void line(std::string_view line) {
    ++number_;
    if (number_ == 1) {
      if (const auto target = targetLine(line)) {
        target_ = std::string(*target);
        header_.target = target_;  // an entry check may ask for it
        return;
      }
    }
    if (line.empty()) return;
    ListLine parts;
    std::string problem = checkLine(line, parts);
    if (problem.empty() && check_) {
      if (const auto refused = check_(parts.path)) {
        problem = "'" + quotedCell(parts.path) + "' lies outside the target folder: " + *refused;
      }
    }
    if (!problem.empty()) {
      throw Failure("The file list '" + std::string(name_) + "', line " + std::to_string(number_) +
                    (holdsHiddenBytes(line) ? " ('" + quotedCell(line) + "')" : std::string()) +
                    ": " + problem);
    }
    const std::size_t row = rows_.addRow(parts.path);
    rows_.addSubCell(row, parts.size);
  }

  std::string_view name_;
  ListHeader& header_;
  const EntryCheck& check_;
  TextTable rows_;
  std::optional<std::string> target_;
  std::size_t number_ = 0;
};

// Calls `emit(text)` for each piece of the line of `row` of `table`.
template <typename Emit>
void emitEntry(const TextTable& table, std::size_t row, Emit& emit) {
  emit(table.caption(row));
  emit("\t");
  emit(table.cellText(row, 1 + kSizeCell));
  emit("\n");
}

// Calls `emit(text)` for each piece of the list's text in order, and tells the sink of each
// entry of `files1`.
template <typename Emit>
void emitListText(const TextTable& files1, const ListHeader& header,
                  const ListWriteOptions& options, Emit&& emit) {
  const std::vector<bool>* leaveOut = options.leaveOut;
  std::size_t entries = files1.rowCount() + (options.first ? options.first->rowCount() : 0);
  if (leaveOut != nullptr) {
    entries -= static_cast<std::size_t>(std::count(leaveOut->begin(), leaveOut->end(), true));
  }
  if (header.target && entries != 0) {
    emit(kTargetLinePrefix);
    emit(*header.target);
    emit("\n");
  }
  if (options.first != nullptr) {
    for (std::size_t row = 0; row < options.first->rowCount(); ++row) {
      emitEntry(*options.first, row, emit);
    }
  }
  for (std::size_t row = 0; row < files1.rowCount(); ++row) {
    if (leaveOut != nullptr && (*leaveOut)[row]) continue;
    emitEntry(files1, row, emit);
    if (options.sink != nullptr) {
      options.sink->entry(files1.caption(row), files1.cellText(row, 1 + kSizeCell));
    }
  }
}

constexpr std::size_t kBlockBytes = std::size_t(1) << 20;

// Gathers text into blocks and writes each full one to the list's new file.
class BlockWriter {
 public:
  BlockWriter(WritableFile& file, const std::string& path)
      : file_(file), path_(path), block_(new char[kBlockBytes]) {}

  void append(std::string_view text) {
    if (text.size() > kBlockBytes - used_) {
      flush();
      if (text.size() > kBlockBytes) return writeAll(text);
    }
    std::memcpy(block_.get() + used_, text.data(), text.size());
    used_ += text.size();
  }

  void flush() {
    writeAll(std::string_view(block_.get(), used_));
    used_ = 0;
  }

 private:
  void writeAll(std::string_view text) {
    while (!text.empty()) {
      std::size_t written = 0;
      int error = file_.write(text.data(), text.size(), written);
      if (error == 0 && written == 0) error = winerr::kDiskFull;
      if (error != 0) failWritingCode(path_, error);
      text.remove_prefix(written);
    }
  }

  WritableFile& file_;
  const std::string& path_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
};

}  // namespace

void parseFileList(std::string_view text, std::string_view name, TextTable& files1) {
  ListHeader header;
  parseFileList(text, name, files1, header, nullptr);
}

void parseFileList(std::string_view text, std::string_view name, TextTable& files1,
                   ListHeader& header, const EntryCheck& check) {
  ListParser parser(name, files1.columnCount(), header, check);
  parser.reserveFor(text, text.size());
  parser.take(text, true);
  parser.finish(files1);
}

std::string fileListText(const TextTable& files1) { return fileListText(files1, ListHeader()); }

std::string fileListText(const TextTable& files1, const ListHeader& header,
                         const ListWriteOptions& options) {
  std::string text;
  emitListText(files1, header, options, [&](std::string_view piece) { text += piece; });
  return text;
}

void readFileList(const std::string& path, TextTable& files1) {
  ListHeader header;
  readFileList(path, files1, header, nullptr);
}

void readFileList(const std::string& path, TextTable& files1, ListHeader& header,
                  const EntryCheck& check) {
  int error = 0;
  const std::unique_ptr<ReadableFile> file = openRegularFile(path, error);
  if (!file) throw Failure("Cannot read the file list '" + path + "': " + ioErrorText(error));
  ListParser parser(path, files1.columnCount(), header, check);
  std::vector<char> block(kBlockBytes);
  std::size_t filled = 0;
  bool first = true;
  for (;;) {
    std::size_t got = 0;
    error = file->read(block.data() + filled, block.size() - filled, got);
    if (error != 0) {
      throw Failure("Cannot read the file list '" + path + "': " + ioErrorText(error));
    }
    filled += got;
    const std::string_view text(block.data(), filled);
    if (first) parser.reserveFor(text, std::max<std::uint64_t>(file->size(), filled));
    first = false;
    const std::size_t taken = parser.take(text, got == 0);
    if (got == 0) break;
    std::memmove(block.data(), block.data() + taken, filled - taken);
    filled -= taken;
    // A line longer than the block: the block grows to hold it.
    if (filled == block.size()) block.resize(block.size() * 2);
  }
  parser.finish(files1);
}

void writeFileList(const std::string& path, const TextTable& files1) {
  writeFileList(path, files1, ListHeader());
}

void writeFileList(const std::string& path, const TextTable& files1, const ListHeader& header,
                   const ListWriteOptions& options) {
  int error = 0;
  const std::unique_ptr<ReplacementFile> file = ReplacementFile::open(path, error, options.links);
  if (!file) failWritingCode(path, error);
  BlockWriter blocks(*file, path);
  emitListText(files1, header, options, [&](std::string_view piece) { blocks.append(piece); });
  blocks.flush();
  if (const int closeError = file->close(); closeError != 0) failWritingCode(path, closeError);
}

void checkFileListFolder(const std::string& path) {
  const FileKind folder = folderKindOf(path);
  if (folder == FileKind::Missing) failWriting(path, missingFolderError());
  if (folder != FileKind::Folder) failWriting(path, notAFolderError());
}

}  // namespace brimwell::joblist
