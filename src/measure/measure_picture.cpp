#include "measure/measure_picture.h"

#include <algorithm>

#include "app/message_text.h"
#include "app/size_text.h"

namespace brimwell::measure {
namespace {

constexpr int kWidth = 900;
constexpr int kChart = 240;  // height of one chart's plot area
constexpr int kLeft = 70;
constexpr int kRight = kWidth - 20;
constexpr double kPlotWidth = kRight - kLeft;
constexpr const char* kTemplateColour = "#999999";
constexpr const char* kAchievedColour = "#3366cc";
constexpr const char* kCountColour = "#cc6633";
constexpr const char* kBytesColour = "#339966";

// Text as an XML document may hold it: names from the file system shown as documentText()
// shows them, then the markup characters escaped.
std::string xml(const std::string& text) {
  std::string escaped;
  for (const char c : documentText(text)) {
    if (c == '&')
      escaped += "&amp;";
    else if (c == '<')
      escaped += "&lt;";
    else if (c == '>')
      escaped += "&gt;";
    else if (c == '"')
      escaped += "&quot;";
    else
      escaped += c;
  }
  return escaped;
}

template <typename Number>
double percent(Number part, Number whole) {
  return whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

class Svg {
 public:
  void text(int x, int y, const std::string& content, const std::string& extra = "") {
    body_ += "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"" +
             (extra.empty() ? "" : " " + extra) + ">" + xml(content) + "</text>\n";
  }
  // Text turned to read upwards (a y axis's name) or slanted (a class name under its bar).
  void turnedText(int x, int y, int degrees, const std::string& content, const char* anchor) {
    text(x, y, content,
         std::string("text-anchor=\"") + anchor + "\" transform=\"rotate(" +
             std::to_string(degrees) + " " + std::to_string(x) + " " + std::to_string(y) + ")\"");
  }
  void bar(double x, double y, double w, double h, const char* colour) {
    body_ += "<rect x=\"" + fixedDecimals(x, 1) + "\" y=\"" + fixedDecimals(y, 1) + "\" width=\"" +
             fixedDecimals(w, 1) + "\" height=\"" + fixedDecimals(h, 1) + "\" fill=\"" + colour +
             "\"/>\n";
  }
  void line(int x1, int y1, int x2, int y2) {
    body_ += "<line x1=\"" + std::to_string(x1) + "\" y1=\"" + std::to_string(y1) + "\" x2=\"" +
             std::to_string(x2) + "\" y2=\"" + std::to_string(y2) + "\" stroke=\"black\"/>\n";
  }
  void legend(int x, int y, const char* colour, const std::string& name) {
    bar(x, y - 9, 10, 10, colour);
    text(x + 14, y, name);
  }
  // A chart's frame: title, both axes with their names, and the top of the scale.
  void frame(int top, const std::string& title, const std::string& yName, const std::string& xName,
             const std::string& most) {
    text(kLeft, top - 30, title, "font-size=\"14\"");
    line(kLeft, top, kLeft, top + kChart);
    line(kLeft, top + kChart, kRight, top + kChart);
    line(kLeft - 4, top, kLeft, top);
    text(kLeft - 6, top + 4, most, "text-anchor=\"end\"");
    text(kLeft - 6, top + kChart + 4, "0", "text-anchor=\"end\"");
    turnedText(18, top + kChart / 2, -90, yName, "middle");
    text(kLeft + static_cast<int>(kPlotWidth / 2), top + kChart + 95, xName,
         "text-anchor=\"middle\"");
  }
  std::string document(int height) const {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kWidth) +
           "\" height=\"" + std::to_string(height) +
           "\" font-family=\"sans-serif\" font-size=\"11\">\n"
           "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n" +
           body_ + "</svg>\n";
  }

 private:
  std::string body_;
};

std::string fileSystemText(const FillFigures& fill) {
  if (!fill.known) return "file system unknown";
  return "file system " + (fill.fileSystem.empty() ? std::string("unnamed") : fill.fileSystem) +
         ", " + fixedDecimals(fill.usedPercent, 2) + " % used";
}

std::string layoutText(const FileLayoutFigures& files) {
  if (!files.known) return "layout score unavailable: " + files.why;
  return "layout score " + fixedDecimals(files.layoutScore, 4) + ", " +
         fixedDecimals(files.fragmentedPercent(), 2) + " % of " + std::to_string(files.files) +
         " files fragmented";
}

std::string readOrderText(const ReadOrderFigures& order) {
  if (!order.known) return "tree-order score unavailable: " + order.why;
  const auto& breaks = order.breaks;
  std::string text = "tree-order score " + fixedDecimals(order.treeOrder.score, 4);
  if (breaks.breaks == 0) return text + ", no file split";
  return text + "; of " + std::to_string(breaks.breaks) + " breaks, " +
         fixedDecimals(100.0 * breaks.reversedTouchingShare(), 1) + " % reversed and touching, " +
         fixedDecimals(100.0 * breaks.backwardShare(), 1) + " % backward (median " +
         std::to_string(breaks.medianBackwardBlocks) + " blocks), forward median " +
         std::to_string(breaks.medianForwardBlocks) + " blocks";
}

std::string readCostText(const ReadCostFigures& cost) {
  if (!cost.requested) return "no read-time model (--read-cost)";
  if (!cost.known) return "read-time model unavailable: " + cost.why;
  return "modelled hard-disk read in walk order: " + fixedDecimals(cost.seconds, 3) + " s, " +
         std::to_string(cost.seeks) + " seeks (" + diskModelText() + ")";
}

std::string probeText(const ProbeFigures& probe) {
  if (!probe.requested) return "no probe (--probe)";
  if (!probe.known) return "probe unavailable: " + probe.why;
  return "probe: a new file of " + exactSize(probe.bytes) + " took " +
         std::to_string(probe.extents) + (probe.extents == 1 ? " extent" : " extents");
}

// The first row holds the files below its threshold: with a threshold of 1, the empty ones.
std::string rowName(const Measurement& m, std::size_t row) {
  const std::string& threshold = m.fit.rows[row].threshold;
  if (row > 0) return threshold;
  return threshold == "1" ? "empty files" : "below " + threshold;
}

void fitChart(Svg& svg, const Measurement& m, int top) {
  double most = 1.0;
  for (const auto& row : m.fit.rows)
    most = std::max({most, row.templatePercent, row.achievedPercent});
  svg.frame(top, "Share of files per template row", "share of files, %",
            "file size in bytes: each row from the previous threshold up to its own",
            fixedDecimals(most, 1) + " %");
  svg.legend(kRight - 250, top - 30, kTemplateColour, "template");
  svg.legend(kRight - 160, top - 30, kAchievedColour, "achieved");
  if (!m.fit.known || m.fit.rows.empty()) {
    svg.text(kLeft + 10, top + kChart / 2, "Fit unavailable: " + m.fit.why);
    return;
  }
  const double slot = kPlotWidth / static_cast<double>(m.fit.rows.size());
  for (std::size_t i = 0; i < m.fit.rows.size(); ++i) {
    const auto& row = m.fit.rows[i];
    const double x = kLeft + slot * static_cast<double>(i);
    const double templateHeight = kChart * row.templatePercent / most;
    const double achievedHeight = kChart * row.achievedPercent / most;
    svg.bar(x + slot * 0.1, top + kChart - templateHeight, slot * 0.4, templateHeight,
            kTemplateColour);
    svg.bar(x + slot * 0.5, top + kChart - achievedHeight, slot * 0.4, achievedHeight,
            kAchievedColour);
    svg.turnedText(static_cast<int>(x + slot * 0.5), top + kChart + 12, -60, rowName(m, i), "end");
  }
}

// Each size class twice, on one scale of shares: of the free extents and of the free bytes.
void freeSpaceChart(Svg& svg, const Measurement& m, int top) {
  const auto& free = m.freeSpace;
  const bool drawn = free.known && free.extents > 0;
  const auto [first, last] = usedSizeClasses(free);
  const auto countShare = [&](std::size_t k) { return percent(free.histogram[k], free.extents); };
  const auto bytesShare = [&](std::size_t k) {
    return percent(free.bytesByClass[k], free.freeBytes);
  };
  double most = 1.0;
  for (std::size_t k = first; drawn && k <= last; ++k) {
    most = std::max({most, countShare(k), bytesShare(k)});
  }
  svg.frame(top, "Free space by extent size", "share of free space, %",
            "free extent size: each class from its size up to twice that",
            fixedDecimals(most, 1) + " %");
  svg.legend(kRight - 330, top - 30, kCountColour, "share of free extents");
  svg.legend(kRight - 170, top - 30, kBytesColour, "share of free bytes");
  if (!drawn) {
    svg.text(kLeft + 10, top + kChart / 2,
             "Free extents unavailable: " + (free.known ? std::string("no free space") : free.why));
    return;
  }
  const double slot = kPlotWidth / static_cast<double>(last - first + 1);
  for (std::size_t k = first; k <= last; ++k) {
    const double x = kLeft + slot * static_cast<double>(k - first);
    const double countHeight = kChart * countShare(k) / most;
    const double bytesHeight = kChart * bytesShare(k) / most;
    svg.bar(x + slot * 0.1, top + kChart - countHeight, slot * 0.4, countHeight, kCountColour);
    svg.bar(x + slot * 0.5, top + kChart - bytesHeight, slot * 0.4, bytesHeight, kBytesColour);
    svg.turnedText(static_cast<int>(x + slot * 0.5), top + kChart + 12, -60,
                   exactSize(std::uint64_t{1} << k), "end");
  }
  svg.text(kLeft, top + kChart + 115,
           std::to_string(free.extents) + " free extents holding " + bytesWithUnit(free.freeBytes) +
               "; median " + exactSize(free.medianBytes) + ", largest " +
               bytesWithUnit(free.largestBytes) + " (" +
               fixedDecimals(percent(free.largestBytes, free.freeBytes), 1) +
               " % of the free bytes)");
}

}  // namespace

std::string measurementPicture(const Measurement& m) {
  constexpr int kFitTop = 162;
  constexpr int kFreeTop = kFitTop + kChart + 150;
  constexpr int kHeight = kFreeTop + kChart + 135;
  Svg svg;
  svg.text(kLeft, 24, "Measured " + m.target, "font-size=\"16\" font-weight=\"bold\"");
  svg.text(kLeft, 44, fileSystemText(m.fill));
  svg.text(kLeft, 60, layoutText(m.files));
  svg.text(kLeft, 76, readOrderText(m.readOrder));
  svg.text(kLeft, 92, readCostText(m.readOrder.readCost));
  svg.text(kLeft, 108, probeText(m.probe));
  fitChart(svg, m, kFitTop);
  freeSpaceChart(svg, m, kFreeTop);
  return svg.document(kHeight);
}

}  // namespace brimwell::measure
