// The size template: its template file (".fs"), loading, saving and the % column.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/context.h"
#include "app/outcome.h"

namespace brimwell::census {

// Appends the rows of a template file's bytes to `sizes` (Count as read, % "0"); returns the
// line number (from 1) each appended row was read from.
std::vector<std::size_t> readTemplate(std::string_view bytes, TextTable& sizes);
// The template file's bytes for `sizes`: threshold TAB count [TAB description] CR LF.
std::string writeTemplate(const TextTable& sizes);
// Recomputes every row's % cell from the Count cells.
void UpdatePercentages(TextTable& sizes, std::string_view decimalSeparator);

// The bytes of the template file at `path`. Fails (IoFailure) when it cannot be read, and
// (Failure, with its size) when it is larger than a template may be (kReadWholeLimit),
// before reading it.
std::string readTemplateFile(FileSystem& fs, const std::string& path);
// Empties the table, then reads the file at `path` into it and updates the percentages.
void loadTemplateFile(Context& context, const std::string& path);
// Replaces the table with the rows of the template `bytes` and updates the percentages.
void loadTemplateBytes(Context& context, std::string_view bytes);
// Writes the table to the file at `path`, replacing it.
void saveTemplateFile(Context& context, const std::string& path);

// The "Load" handler: asks for a file, loads it, empties the status line.
Outcome loadTemplate(Context& context);
// The "Save" handler: asks for a file name and saves the table to it.
Outcome saveTemplate(Context& context);

}  // namespace brimwell::census
