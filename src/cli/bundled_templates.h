// The size templates that come with the program (census/bundled_template_folder.h), and how
// a --template name finds them. A --template that names an existing file, or that holds a
// folder separator, is always taken as a path.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/text_table.h"

namespace brimwell::cli {

struct BundledTemplate {
  std::string name;  // the file name without ".fs", as --template takes it
  std::filesystem::path path;
  std::string description;
  std::size_t sizeClasses = 0;
  std::int64_t files = 0;  // the sum of the counts that are whole numbers
};

// Every readable ".fs" file in `folder`, sorted by name.
std::vector<BundledTemplate> listBundledTemplates(const std::filesystem::path& folder);

// What describes a template as a whole: the text after the last " - " when every row's
// description ends with the same such text, else the first row's description that is
// not empty, else nothing.
std::string templateDescription(const TextTable& sizes);

// The file that --template `text` means: `text` itself when it is a file or a path, the
// bundled template `text` or `text`.fs when it is a bare name, nothing when a bare name
// matches neither.
std::optional<std::string> resolveTemplate(const std::string& text);

// The `templates` command: each bundled template's name and description, then where they
// are; returns the exit code.
int listTemplates();

}  // namespace brimwell::cli
