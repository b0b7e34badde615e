// The template file's bytes: reading them into size rows, and writing size rows as bytes.
//
// Reading follows the text-file rules the file has always been read by: LF ends a line
// (a CR just before it belongs to the line end), any other CR is dropped, Ctrl-Z at the
// start of a line ends the file, and Ctrl-Z inside a line ends that line and drops the
// rest of it. Writing ends every line with CR LF.
#include "census/size_template.h"

namespace brimwell::census {
namespace {

constexpr char kEndOfFile = '\x1A';

// Appends `segment` to `line` without its lone CRs.
void appendWithoutCarriageReturns(std::string& line, std::string_view segment) {
  for (;;) {
    const std::size_t cr = segment.find('\r');
    line.append(segment.substr(0, cr));
    if (cr == std::string_view::npos) return;
    segment.remove_prefix(cr + 1);
  }
}

// Adds one size row from a line: threshold TAB count [TAB description].
void addRowFromLine(std::string_view line, TextTable& sizes) {
  std::string_view threshold;
  std::string_view rest = line;
  const std::size_t firstTab = line.find('\t');
  if (firstTab != std::string_view::npos) {
    threshold = line.substr(0, firstTab);
    rest = line.substr(firstTab + 1);
  }
  std::string_view count = rest;
  std::string_view description;
  const std::size_t secondTab = rest.find('\t');
  if (secondTab != std::string_view::npos) {
    count = rest.substr(0, secondTab);
    description = rest.substr(secondTab + 1);
  }
  const std::size_t row = sizes.addRow(threshold);
  sizes.addSubCell(row, count);
  sizes.addSubCell(row, "0");
  sizes.addSubCell(row, description);
}

}  // namespace

std::vector<std::size_t> readTemplate(std::string_view bytes, TextTable& sizes) {
  std::vector<std::size_t> lines;
  std::string line;
  std::size_t pos = 0;
  std::size_t number = 0;
  while (pos < bytes.size() && bytes[pos] != kEndOfFile) {
    ++number;
    const std::size_t lf = bytes.find('\n', pos);
    const std::size_t lineEnd = lf == std::string_view::npos ? bytes.size() : lf;
    std::string_view raw = bytes.substr(pos, lineEnd - pos);
    pos = lf == std::string_view::npos ? bytes.size() : lf + 1;

    // A Ctrl-Z inside the line ends it; the rest up to the LF is dropped with it.
    const std::size_t stop = raw.find(kEndOfFile);
    if (stop != std::string_view::npos) raw = raw.substr(0, stop);

    line.clear();
    appendWithoutCarriageReturns(line, raw);
    if (line.empty()) continue;
    addRowFromLine(line, sizes);
    lines.push_back(number);
  }
  return lines;
}

std::string writeTemplate(const TextTable& sizes) {
  std::string bytes;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    bytes.append(sizes.caption(row));
    bytes += '\t';
    bytes.append(sizes.cellText(row, 1 + kCountCell));
    const std::string_view description = sizes.cellText(row, 1 + kDescriptionCell);
    if (!description.empty()) {
      bytes += '\t';
      bytes.append(description);
    }
    bytes.append("\r\n");
  }
  return bytes;
}

}  // namespace brimwell::census
