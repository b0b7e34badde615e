#include "cli/template_numbers.h"

#include "app/cell_number.h"
#include "app/failure.h"
#include "app/message_text.h"
#include "census/size_template.h"

namespace brimwell::cli {

void loadTemplateForJob(Context& context, const std::string& path) {
  // Checked before loading, which reads the counts and would fail without saying where.
  const std::string bytes = census::readTemplateFile(context.fs, path);
  TextTable sizes(4);
  const std::vector<std::size_t> lines = census::readTemplate(bytes, sizes);
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    for (const std::string_view cell : {sizes.caption(row), sizes.subCell(row, kCountCell)}) {
      if (tryParseInt64(cell)) continue;
      throw Failure("The template '" + path + "', line " + std::to_string(lines[row]) + ": '" +
                    quotedCell(cell) + "' is not a valid integer value");
    }
  }
  census::loadTemplateBytes(context, bytes);
}

}  // namespace brimwell::cli
