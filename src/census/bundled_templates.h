// The size templates that come with the program (platform/bundled_template_folder.h), and how
// a --template name finds them. A bare name ("default") is a
// bundled template even when a file of that name lies in the current folder (write it as a
// path, "./default", to read that file); a name that holds a separator is always a path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/text_table.h"
#include "platform/file_system.h"

namespace brimwell::census {

struct BundledTemplate {
  std::string name;  // the file name without ".fs", as --template takes it
  std::string path;  // the folder and the file name
  std::string description;
  std::size_t sizeClasses = 0;
  std::int64_t files = 0;  // the sum of the counts that are whole numbers
};

// Every readable ".fs" file in `folder`, sorted by name.
std::vector<BundledTemplate> listBundledTemplates(FileSystem& fs, const std::string& folder);

// What describes a template as a whole: the text after the last " - " when every row's
// description ends with the same such text, else the first row's description that is
// not empty, else nothing.
std::string templateDescription(const TextTable& sizes);

struct ResolvedTemplate {
  std::string path;
  bool bundled = false;         // a bundled template, found by its name
  bool passedOverFile = false;  // a file of that name in the current folder was not read
};

// The file that --template `text` means: `text` itself when it holds a separator, the
// bundled template `text` or `text`.fs when it is a bare name, else the file `text` in the
// current folder; nothing when a bare name matches none. `folder` is where the bundled
// templates are (empty: none).
std::optional<ResolvedTemplate> resolveTemplate(FileSystem& fs, const std::string& folder,
                                                const std::string& text);

}  // namespace brimwell::census
