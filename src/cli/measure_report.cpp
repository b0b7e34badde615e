#include "cli/measure_report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace brimwell::cli {
namespace {

using measure::Measurement;

// `value` with `decimals` decimals; a value that rounds to zero has no minus sign.
std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  const std::string_view digits = text[0] == '-' ? text + 1 : text;
  if (digits.find_first_not_of("0.") == std::string_view::npos) return std::string(digits);
  return text;
}

// As fixed(), with a plus sign before a value above zero.
std::string signedFixed(double value, int decimals) {
  const std::string text = fixed(value, decimals);
  const bool zero = text.find_first_not_of("0.") == std::string::npos;
  return zero || text.front() == '-' ? text : "+" + text;
}

std::string rightAligned(const std::string& text, std::size_t width) {
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

// What `df` shows as Use%: used against used plus what users other than root may still
// write, rounded up; it leaves out the blocks reserved for root.
std::string dfComparison(const measure::FillFigures& fill) {
  const std::uint64_t reserved = fill.freeBytes - fill.availableBytes;
  const std::uint64_t counted = fill.usedBytes + fill.availableBytes;
  const std::uint64_t dfPercent = counted == 0 ? 0 : (fill.usedBytes * 100 + counted - 1) / counted;
  const std::string shown = "df shows " + std::to_string(dfPercent) + " %";
  if (reserved == 0) return shown + " (no blocks are reserved for root)";
  return shown + ", leaving out the " + bytesWithUnit(reserved) + " reserved for root";
}

std::string sizeName(std::uint64_t bytes) {
  constexpr std::array<const char*, 5> kUnits{"B", "KiB", "MiB", "GiB", "TiB"};
  std::size_t unit = 0;
  while (unit + 1 < kUnits.size() && bytes >= 1024 && bytes % 1024 == 0) {
    bytes /= 1024;
    ++unit;
  }
  return std::to_string(bytes) + " " + kUnits[unit];
}

// The free-space size classes that hold extents: first and last index.
std::pair<std::size_t, std::size_t> usedClasses(const measure::FreeSpaceFigures& free) {
  std::size_t first = free.histogram.size();
  std::size_t last = 0;
  for (std::size_t k = 0; k < free.histogram.size(); ++k) {
    if (free.histogram[k] == 0) continue;
    first = std::min(first, k);
    last = k;
  }
  return {first, last};
}

std::string unavailable(const std::string& why) { return "  unavailable: " + why + "\n"; }

std::string line(const std::string& label, const std::string& value) {
  std::string text = "  " + label;
  if (text.size() < 22) text.resize(22, ' ');
  return text + value + "\n";
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
  if (length == 0 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  // No overlong form, no surrogate, nothing beyond U+10FFFF.
  const unsigned char second = byte(1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
    return 0;
  }
  return length;
}

// A JSON string: a byte that is not part of well-formed UTF-8 (a name the file system
// holds in another encoding) becomes U+FFFD, so the document stays valid.
std::string json(const std::string& text) {
  std::string quoted = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = utf8Length(std::string_view(text).substr(at));
    if (length == 0) {
      quoted += "\\ufffd";
      ++at;
      continue;
    }
    if (length > 1) {
      quoted.append(text, at, length);
      at += length;
      continue;
    }
    const char c = text[at++];
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string field(const char* name, const std::string& value) {
  return std::string("\"") + name + "\": " + value;
}
std::string field(const char* name, std::int64_t value) {
  return field(name, std::to_string(value));
}
std::string field(const char* name, std::uint64_t value) {
  return field(name, std::to_string(value));
}
std::string field(const char* name, double value, int decimals) {
  return field(name, fixed(value, decimals));
}
std::string field(const char* name, bool value) {
  return field(name, std::string(value ? "true" : "false"));
}

// The head of a group: known, and the reason when it is not.
std::string known(bool isKnown, const std::string& why) {
  return field("known", isKnown) + (isKnown ? "" : ", " + field("why", json(why)));
}

std::string xml(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '&')
      escaped += "&amp;";
    else if (c == '<')
      escaped += "&lt;";
    else if (c == '>')
      escaped += "&gt;";
    else
      escaped += c;
  }
  return escaped;
}

}  // namespace

std::string bytesWithUnit(std::uint64_t bytes) {
  std::string text = std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  constexpr std::array<const char*, 4> kUnits{"KiB", "MiB", "GiB", "TiB"};
  double scaled = static_cast<double>(bytes);
  std::size_t unit = 0;
  for (; scaled >= 1024.0 && unit < kUnits.size(); ++unit) scaled /= 1024.0;
  if (unit == 0) return text;
  return text + " (" + fixed(scaled, 1) + " " + kUnits[unit - 1] + ")";
}

std::string measurementTable(const Measurement& m) {
  std::string text = "Measured " + m.target + "\n\nFill\n";
  const auto& fill = m.fill;
  if (fill.known) {
    text += line("volume", bytesWithUnit(fill.volumeBytes) + ", blocks of " +
                               std::to_string(fill.blockSize) + " bytes");
    text += line("used", bytesWithUnit(fill.usedBytes) + ", " + fixed(fill.usedPercent, 2) + " %");
    text += line("", dfComparison(fill));
    text += line("free", bytesWithUnit(fill.freeBytes));
  } else {
    text += unavailable(fill.why);
  }
  text += line("under the target", std::to_string(fill.files) + " files of " +
                                       bytesWithUnit(static_cast<std::uint64_t>(fill.bytes)) +
                                       " in " + std::to_string(fill.folders) + " folders");

  text +=
      "\nFit to the template (each row: from the previous threshold up to, not including, "
      "its own)\n";
  if (m.fit.known) {
    text += "  threshold     template %  achieved %  difference\n";
    for (const auto& row : m.fit.rows) {
      std::string threshold = row.threshold;
      if (threshold.size() < 12) threshold.resize(12, ' ');
      text += "  " + threshold + " " + rightAligned(fixed(row.templatePercent, 2), 10) + "  " +
              rightAligned(fixed(row.achievedPercent, 2), 10) + "  " +
              rightAligned(signedFixed(row.achievedPercent - row.templatePercent, 2), 10) + "\n";
    }
    text += line("largest difference", signedFixed(m.fit.largestDifference, 2) + " points (row " +
                                           m.fit.rows[m.fit.largestRow].threshold + ")");
  } else {
    text += unavailable(m.fit.why);
  }

  text += "\nFile fragmentation\n";
  const auto& files = m.files;
  if (files.known) {
    text += line("files measured",
                 std::to_string(files.files) +
                     (files.unreadable > 0
                          ? " (" + std::to_string(files.unreadable) + " could not be opened)"
                          : ""));
    text +=
        line("fragmented", std::to_string(files.fragmented) + " files (" +
                               fixed(files.fragmentedPercent(), 2) + " %) of more than one extent");
    text += line("extents", "mean " + fixed(files.meanExtents(), 3) + ", largest " +
                                std::to_string(files.largestExtents));
    std::string classes;
    for (std::size_t k = 0; k < measure::kExtentClasses; ++k) {
      if (files.histogram[k] == 0) continue;
      if (!classes.empty()) classes += ", ";
      classes +=
          std::string(measure::extentClassName(k)) + ": " + std::to_string(files.histogram[k]);
    }
    text += line("files by extents", classes.empty() ? "no files" : classes);
    text +=
        line("layout score",
             fixed(files.layoutScore, 4) + " (" + std::to_string(files.contiguousBlocks) + " of " +
                 std::to_string(files.layoutBlocks) + " blocks follow their predecessor)");
  } else {
    text += unavailable(files.why);
  }

  text += "\nFree space\n";
  const auto& free = m.freeSpace;
  if (free.known) {
    text += line("free extents", std::to_string(free.extents) + ", median " +
                                     bytesWithUnit(free.medianBytes) + ", largest " +
                                     bytesWithUnit(free.largestBytes));
    const auto [first, last] = usedClasses(free);
    for (std::size_t k = first; k <= last && k < free.histogram.size(); ++k) {
      text += line(k == first ? "by size" : "", sizeName(std::uint64_t{1} << k) + " up to " +
                                                    sizeName(std::uint64_t{2} << k) + ": " +
                                                    std::to_string(free.histogram[k]));
    }
  } else {
    text += unavailable(free.why);
  }

  if (m.probe.requested) {
    text += "\nProbe\n";
    if (m.probe.known) {
      text += line("new file", bytesWithUnit(m.probe.bytes) + " in " +
                                   std::to_string(m.probe.extents) + " extents (deleted again)");
    } else {
      text += unavailable(m.probe.why);
    }
  }
  return text;
}

std::string measurementJson(const Measurement& m) {
  const auto& fill = m.fill;
  std::string text = "{\n  " + field("target", json(m.target)) + ",\n";
  text += "  \"fill\": {" + known(fill.known, fill.why);
  if (fill.known) {
    text += ", " + field("volume_bytes", fill.volumeBytes) + ", " +
            field("used_bytes", fill.usedBytes) + ", " + field("free_bytes", fill.freeBytes) +
            ", " + field("available_bytes", fill.availableBytes) + ", " +
            field("block_size", std::uint64_t{fill.blockSize}) + ", " +
            field("used_percent", fill.usedPercent, 3);
  }
  text += ", " + field("files", fill.files) + ", " + field("bytes", fill.bytes) + ", " +
          field("folders", fill.folders) + "},\n";

  text += "  \"fit\": {" + known(m.fit.known, m.fit.why);
  if (m.fit.known) {
    text += ", \"rows\": [";
    for (std::size_t row = 0; row < m.fit.rows.size(); ++row) {
      const auto& r = m.fit.rows[row];
      text += std::string(row == 0 ? "" : ",") + "\n    {" + field("threshold", json(r.threshold)) +
              ", " + field("template_percent", r.templatePercent, 3) + ", " +
              field("files", r.files) + ", " + field("achieved_percent", r.achievedPercent, 3) +
              ", " + field("difference", r.achievedPercent - r.templatePercent, 3) + "}";
    }
    text += "],\n    " + field("largest_difference", m.fit.largestDifference, 3) + ", " +
            field("largest_row", json(m.fit.rows[m.fit.largestRow].threshold));
  }
  text += "},\n";

  const auto& files = m.files;
  text += "  \"file_fragmentation\": {" + known(files.known, files.why);
  if (files.known) {
    text += ", " + field("files", files.files) + ", " + field("unreadable", files.unreadable) +
            ", " + field("fragmented_files", files.fragmented) + ", " +
            field("fragmented_percent", files.fragmentedPercent(), 3) + ", " +
            field("extents", files.extents) + ", " + field("mean_extents", files.meanExtents(), 4) +
            ", " + field("largest_extents", files.largestExtents) + ", " +
            field("layout_score", files.layoutScore, 5) + ", " +
            field("layout_blocks", files.layoutBlocks) + ", " +
            field("contiguous_blocks", files.contiguousBlocks) + ", \"files_by_extents\": {";
    for (std::size_t k = 0; k < measure::kExtentClasses; ++k) {
      text +=
          std::string(k == 0 ? "" : ", ") + field(measure::extentClassName(k), files.histogram[k]);
    }
    text += "}";
  }
  text += "},\n";

  const auto& free = m.freeSpace;
  text += "  \"free_space\": {" + known(free.known, free.why);
  if (free.known) {
    text += ", " + field("extents", free.extents) + ", " + field("free_bytes", free.freeBytes) +
            ", " + field("median_bytes", free.medianBytes) + ", " +
            field("largest_bytes", free.largestBytes) + ", \"extents_by_size\": [";
    const auto [first, last] = usedClasses(free);
    for (std::size_t k = first; k <= last && k < free.histogram.size(); ++k) {
      text += std::string(k == first ? "" : ", ") + "{" +
              field("from_bytes", std::uint64_t{1} << k) + ", " +
              field("below_bytes", std::uint64_t{2} << k) + ", " +
              field("extents", free.histogram[k]) + "}";
    }
    text += "]";
  }
  text += "},\n";

  text += "  \"probe\": {" + field("requested", m.probe.requested);
  if (m.probe.requested) {
    text += ", " + known(m.probe.known, m.probe.why) + ", " + field("bytes", m.probe.bytes);
    if (m.probe.known) text += ", " + field("extents", m.probe.extents);
  }
  text += "}\n}\n";
  return text;
}

std::string measurementSvg(const Measurement& m) {
  constexpr int kWidth = 900;
  constexpr int kChart = 260;  // height of one chart's plot area
  constexpr int kLeft = 60;
  constexpr int kTop1 = 50;
  constexpr int kTop2 = kTop1 + kChart + 110;
  constexpr int kHeight = kTop2 + kChart + 80;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kWidth) +
                    "\" height=\"" + std::to_string(kHeight) +
                    "\" font-family=\"sans-serif\" font-size=\"11\">\n"
                    "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  auto text = [&](int x, int y, const std::string& content, const char* extra = "") {
    svg += "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" " + extra + ">" +
           xml(content) + "</text>\n";
  };
  auto bar = [&](double x, double y, double w, double h, const char* colour) {
    svg += "<rect x=\"" + fixed(x, 1) + "\" y=\"" + fixed(y, 1) + "\" width=\"" + fixed(w, 1) +
           "\" height=\"" + fixed(h, 1) + "\" fill=\"" + colour + "\"/>\n";
  };
  auto axes = [&](int top) {
    svg += "<line x1=\"" + std::to_string(kLeft) + "\" y1=\"" + std::to_string(top + kChart) +
           "\" x2=\"" + std::to_string(kWidth - 20) + "\" y2=\"" + std::to_string(top + kChart) +
           "\" stroke=\"black\"/>\n";
  };
  const double plotWidth = kWidth - kLeft - 20;

  // Chart 1: template against achieved share, row by row.
  text(kLeft, kTop1 - 25, "Share of files per template row: template (grey) and achieved (blue), %",
       "font-size=\"14\"");
  axes(kTop1);
  if (m.fit.known && !m.fit.rows.empty()) {
    double most = 1.0;
    for (const auto& row : m.fit.rows)
      most = std::max({most, row.templatePercent, row.achievedPercent});
    const double slot = plotWidth / static_cast<double>(m.fit.rows.size());
    for (std::size_t i = 0; i < m.fit.rows.size(); ++i) {
      const auto& row = m.fit.rows[i];
      const double x = kLeft + slot * static_cast<double>(i);
      const double h1 = kChart * row.templatePercent / most;
      const double h2 = kChart * row.achievedPercent / most;
      bar(x + slot * 0.1, kTop1 + kChart - h1, slot * 0.4, h1, "#999999");
      bar(x + slot * 0.5, kTop1 + kChart - h2, slot * 0.4, h2, "#3366cc");
      const int labelX = static_cast<int>(x + slot * 0.5);
      text(labelX, kTop1 + kChart + 12, row.threshold,
           ("text-anchor=\"end\" transform=\"rotate(-60 " + std::to_string(labelX) + " " +
            std::to_string(kTop1 + kChart + 12) + ")\"")
               .c_str());
    }
    text(8, kTop1 + 10, fixed(most, 1) + " %");
  } else {
    text(kLeft + 10, kTop1 + kChart / 2, "Fit unavailable: " + m.fit.why);
  }

  // Chart 2: free extents by size.
  text(kLeft, kTop2 - 25, "Free extents by size (count)", "font-size=\"14\"");
  axes(kTop2);
  const auto& free = m.freeSpace;
  if (free.known && free.extents > 0) {
    const auto [first, last] = usedClasses(free);
    std::int64_t most = 1;
    for (std::size_t k = first; k <= last; ++k) most = std::max(most, free.histogram[k]);
    const double slot = plotWidth / static_cast<double>(last - first + 1);
    for (std::size_t k = first; k <= last; ++k) {
      const double x = kLeft + slot * static_cast<double>(k - first);
      const double h = kChart * static_cast<double>(free.histogram[k]) / static_cast<double>(most);
      bar(x + slot * 0.1, kTop2 + kChart - h, slot * 0.8, h, "#cc6633");
      const int labelX = static_cast<int>(x + slot * 0.5);
      text(labelX, kTop2 + kChart + 12, sizeName(std::uint64_t{1} << k),
           ("text-anchor=\"end\" transform=\"rotate(-60 " + std::to_string(labelX) + " " +
            std::to_string(kTop2 + kChart + 12) + ")\"")
               .c_str());
    }
    text(8, kTop2 + 10, std::to_string(most));
    text(kLeft, kHeight - 10,
         std::to_string(free.extents) + " free extents, median " + sizeName(free.medianBytes) +
             ", largest " + bytesWithUnit(free.largestBytes));
  } else {
    text(kLeft + 10, kTop2 + kChart / 2,
         "Free extents unavailable: " + (free.known ? std::string("no free space") : free.why));
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace brimwell::cli
