#include "cli/template_numbers.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "app/cell_number.h"
#include "app/failure.h"
#include "app/message_text.h"
#include "census/size_template.h"

namespace brimwell::cli {
namespace {

// The line of `text` that holds row `row`: rows are its lines that are not empty.
std::size_t lineOfRow(const std::string& text, std::size_t row) {
  std::istringstream in(text);
  std::string line;
  std::size_t number = 0;
  std::size_t rows = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.find_first_not_of('\r') != std::string::npos && rows++ == row) return number;
  }
  return row + 1;
}

}  // namespace

void loadTemplateForJob(Context& context, const std::string& path) {
  // Checked before loading, which reads the counts and would fail without saying where.
  std::ifstream in(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  TextTable sizes(4);
  census::readTemplate(text, sizes);
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    for (const std::string_view cell : {sizes.caption(row), sizes.subCell(row, kCountCell)}) {
      if (tryParseInt64(cell)) continue;
      throw Failure("The template '" + path + "', line " + std::to_string(lineOfRow(text, row)) +
                    ": '" + quotedCell(cell) + "' is not a valid integer value");
    }
  }
  census::loadTemplateFile(context, path);
}

}  // namespace brimwell::cli
