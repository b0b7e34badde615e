#include "joblist/list_file.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
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

// Calls `visit(lineNumber, line)` for every line of `text` without its line end.
template <typename Visit>
void forEachLine(std::string_view text, Visit&& visit) {
  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    visit(number, line);
  }
}

namespace fs = std::filesystem;

[[noreturn]] void failWriting(const std::string& path, int errnoValue) {
  throw Failure("Cannot write the file list '" + path +
                "': " + systemErrorText(systemError(errnoValue)));
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

}  // namespace

void parseFileList(std::string_view text, std::string_view name, TextTable& files1) {
  ListHeader header;
  parseFileList(text, name, files1, header, nullptr);
}

void parseFileList(std::string_view text, std::string_view name, TextTable& files1,
                   ListHeader& header, const EntryCheck& check) {
  // A first pass checks every line and measures the list, so a bad line changes nothing
  // and the table is sized once.
  std::optional<std::string> target;
  std::size_t rows = 0;
  std::size_t textBytes = 0;
  forEachLine(text, [&](std::size_t number, std::string_view line) {
    if (number == 1 && targetLine(line)) {
      target = std::string(*targetLine(line));
      header.target = target;
      return;
    }
    if (line.empty()) return;
    ListLine parts;
    std::string problem = checkLine(line, parts);
    if (problem.empty() && check) {
      if (const auto refused = check(parts.path)) {
        problem = "'" + quotedCell(parts.path) + "' lies outside the target folder: " + *refused;
      }
    }
    if (!problem.empty()) {
      throw Failure("The file list '" + std::string(name) + "', line " + std::to_string(number) +
                    (holdsHiddenBytes(line) ? " ('" + quotedCell(line) + "')" : std::string()) +
                    ": " + problem);
    }
    ++rows;
    textBytes += line.size();
  });

  header.target = std::move(target);
  files1.clear();
  files1.reserve(rows, textBytes);
  forEachLine(text, [&](std::size_t number, std::string_view line) {
    if (line.empty() || (number == 1 && targetLine(line))) return;
    ListLine parts;
    checkLine(line, parts);
    const std::size_t row = files1.addRow(parts.path);
    files1.addSubCell(row, parts.size);
  });
}

std::string fileListText(const TextTable& files1) { return fileListText(files1, ListHeader()); }

std::string fileListText(const TextTable& files1, const ListHeader& header) {
  std::size_t bytes = 0;
  for (std::size_t row = 0; row < files1.rowCount(); ++row) {
    bytes += files1.caption(row).size() + files1.cellText(row, 1 + kSizeCell).size() + 2;
  }
  std::string text;
  const bool withTarget = header.target && files1.rowCount() != 0;
  text.reserve(bytes + (withTarget ? kTargetLinePrefix.size() + header.target->size() + 1 : 0));
  if (withTarget) {
    text += kTargetLinePrefix;
    text += *header.target;
    text += '\n';
  }
  for (std::size_t row = 0; row < files1.rowCount(); ++row) {
    text += files1.caption(row);
    text += '\t';
    text += files1.cellText(row, 1 + kSizeCell);
    text += '\n';
  }
  return text;
}

void readFileList(const std::string& path, TextTable& files1) {
  ListHeader header;
  readFileList(path, files1, header, nullptr);
}

void readFileList(const std::string& path, TextTable& files1, ListHeader& header,
                  const EntryCheck& check) {
  std::string text;
  if (const int error = readWholeFile(path, text); error != 0) {
    throw Failure("Cannot read the file list '" + path + "': " + ioErrorText(error));
  }
  parseFileList(text, path, files1, header, check);
}

void writeFileList(const std::string& path, const TextTable& files1) {
  writeFileList(path, files1, ListHeader());
}

void writeFileList(const std::string& path, const TextTable& files1, const ListHeader& header,
                   LinkAtName links) {
  const int error = replaceFileWithText(path, fileListText(files1, header), links);
  if (error != 0) failWritingCode(path, error);
}

void checkFileListFolder(const std::string& path) {
  const fs::path folder = fs::path(path).parent_path();
  if (folder.empty()) return;  // the current folder
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (!fs::exists(status)) failWriting(path, ENOENT);
  if (!fs::is_directory(status)) failWriting(path, ENOTDIR);
}

}  // namespace brimwell::joblist
