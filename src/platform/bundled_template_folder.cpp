#include "platform/bundled_template_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/own_executable.h"

// Set by the build: the source tree's templates, the build folder, and the way from an
// installed bin/ folder to the installed templates.
#ifndef BRIMWELL_SOURCE_TEMPLATES
#define BRIMWELL_SOURCE_TEMPLATES ""
#endif
#ifndef BRIMWELL_BUILD_FOLDER
#define BRIMWELL_BUILD_FOLDER ""
#endif
#ifndef BRIMWELL_INSTALLED_TEMPLATES
#define BRIMWELL_INSTALLED_TEMPLATES "../share/brimwell/templates"
#endif

namespace brimwell {
namespace {

namespace fs = std::filesystem;

bool isFolder(const fs::path& path) {
  std::error_code error;
  return !path.empty() && fs::is_directory(path, error);
}

bool isInside(const fs::path& path, const fs::path& folder) {
  const fs::path relative = path.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != "..";
}

fs::path templateFolder() {
  const fs::path executable = ownExecutablePath();
  if (!executable.empty()) {
    const fs::path installed =
        (executable.parent_path() / BRIMWELL_INSTALLED_TEMPLATES).lexically_normal();
    if (isFolder(installed)) return installed;
    // The Windows package keeps them in templates\ beside the executable.
    const fs::path beside = executable.parent_path() / "templates";
    if (isFolder(beside)) return beside;
    // A copy outside the build folder never reaches back into a source tree.
    std::error_code error;
    const fs::path build = fs::weakly_canonical(BRIMWELL_BUILD_FOLDER, error);
    if (error || !isInside(executable, build)) return {};
  }
  const fs::path source(BRIMWELL_SOURCE_TEMPLATES);
  return isFolder(source) ? source : fs::path();
}

}  // namespace

std::string bundledTemplateFolder() { return templateFolder().string(); }

}  // namespace brimwell
