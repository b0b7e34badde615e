#include "measure/template_fit.h"

#include <cmath>

#include "app/cell_number.h"
#include "app/context.h"
#include "app/failure.h"
#include "census/size_template.h"

namespace brimwell::measure {

TemplateFit::TemplateFit(FileSystem& fs, const std::string& path) {
  census::readTemplate(census::readTemplateFile(fs, path), sizes_);
  if (sizes_.empty()) throw Failure("The template " + path + " has no rows");
  for (std::size_t row = 0; row < sizes_.rowCount(); ++row) {
    thresholds_.emplace_back(sizes_.caption(row));
    templateCounts_.push_back(parseInt32Cell(sizes_.subCell(row, kCountCell)));
    sizes_.setCaption(row, formatInteger(parseInt64Cell(sizes_.caption(row)) - 1));
    const auto limit = tryParseInt32(sizes_.caption(row));
    limits_.push_back(limit ? *limit : kLimitUnparsed);
  }
  counts_.assign(sizes_.rowCount(), 0);
}

void TemplateFit::add(std::uint64_t size) {
  // The census's own rule (census::censusRow), on thresholds parsed once.
  const auto value = static_cast<std::int64_t>(size);
  for (std::size_t row = 0; row < limits_.size(); ++row) {
    if (limits_[row] == kLimitUnparsed) parseInt32Cell(sizes_.caption(row));  // fails as it does
    if (limits_[row] >= value) {
      ++counts_[row];
      return;
    }
  }
  ++counts_.back();
}

FitFigures TemplateFit::figures() const {
  FitFigures fit;
  std::int64_t templateTotal = 0;
  std::int64_t measured = 0;
  for (std::size_t row = 0; row < counts_.size(); ++row) {
    templateTotal += templateCounts_[row];
    measured += counts_[row];
  }
  if (templateTotal <= 0) {
    fit.why = "the template counts no files";
    return fit;
  }
  if (measured == 0) {
    fit.why = "no files under the target";
    return fit;
  }
  fit.known = true;
  for (std::size_t row = 0; row < counts_.size(); ++row) {
    FitRow fitRow;
    fitRow.threshold = thresholds_[row];
    fitRow.files = counts_[row];
    fitRow.templatePercent =
        100.0 * static_cast<double>(templateCounts_[row]) / static_cast<double>(templateTotal);
    fitRow.achievedPercent =
        100.0 * static_cast<double>(counts_[row]) / static_cast<double>(measured);
    const double difference = fitRow.achievedPercent - fitRow.templatePercent;
    if (std::fabs(difference) > std::fabs(fit.largestDifference)) {
      fit.largestDifference = difference;
      fit.largestRow = row;
    }
    fit.rows.push_back(std::move(fitRow));
  }
  return fit;
}

}  // namespace brimwell::measure
