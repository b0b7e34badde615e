#include "measure/template_fit.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "app/cell_number.h"
#include "census/census.h"
#include "census/size_template.h"

namespace brimwell::measure {
namespace {

// The census speaks to no one here: its figures are read from the table.
class QuietFeedback : public Feedback {
 public:
  void setStatus(std::string_view) override {}
  void setProgress(int) override {}
  void pump() override {}
  void notice(std::string_view) override {}
  bool confirm(std::string_view) override { return false; }
  std::optional<std::string> chooseTemplateToLoad() override { return std::nullopt; }
  std::optional<std::string> chooseTemplateToSave() override { return std::nullopt; }
};

}  // namespace

FitFigures fitTemplate(Context& context, const std::string& templateFile,
                       const std::string& target) {
  Workspace lists;
  FieldValues fields;
  QuietFeedback quiet;
  Context census{lists,          fields,
                 quiet,          context.fs,
                 context.random, context.collation,
                 context.style,  context.decimalSeparator};
  census::loadTemplateFile(census, templateFile);

  FitFigures fit;
  TextTable& sizes = lists.sizes;
  std::vector<std::int64_t> counts;
  std::int64_t templateTotal = 0;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    FitRow fitRow;
    fitRow.threshold = std::string(sizes.caption(row));
    fit.rows.push_back(fitRow);
    counts.push_back(parseInt32Cell(sizes.subCell(row, kCountCell)));
    templateTotal += counts.back();
    sizes.setCaption(row, formatInteger(parseInt64Cell(sizes.caption(row)) - 1));
  }
  if (templateTotal <= 0) {
    fit.why = "the template counts no files";
    return fit;
  }
  fields.setText(EditField::scanpath, target);
  if (census::analyse(census) != Outcome::Done) {
    fit.why = "no files under the target";
    return fit;
  }
  std::int64_t measured = 0;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    fit.rows[row].files = parseInt32Cell(sizes.subCell(row, kCountCell));
    measured += fit.rows[row].files;
  }
  fit.known = true;
  for (std::size_t row = 0; row < fit.rows.size(); ++row) {
    FitRow& fitRow = fit.rows[row];
    fitRow.templatePercent =
        100.0 * static_cast<double>(counts[row]) / static_cast<double>(templateTotal);
    fitRow.achievedPercent =
        100.0 * static_cast<double>(fitRow.files) / static_cast<double>(measured);
    const double difference = fitRow.achievedPercent - fitRow.templatePercent;
    if (std::fabs(difference) > std::fabs(fit.largestDifference)) {
      fit.largestDifference = difference;
      fit.largestRow = row;
    }
  }
  return fit;
}

}  // namespace brimwell::measure
