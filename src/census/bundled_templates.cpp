#include "census/bundled_templates.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/context.h"
#include "census/bundled_template_folder.h"
#include "census/size_template.h"

namespace brimwell::census {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSuffix = ".fs";

bool isFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

bool isBareName(const std::string& text) {
  return !text.empty() && text.find_first_of("/\\:") == std::string::npos && text != "." &&
         text != "..";
}

std::string readAll(const fs::path& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ok = !in.bad() && in.is_open();
  return bytes;
}

std::int64_t countedFiles(const TextTable& sizes) {
  std::int64_t files = 0;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    const std::string_view text = sizes.cellText(row, 1 + kCountCell);
    std::int64_t count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error == std::errc() && end == text.data() + text.size() && count > 0) files += count;
  }
  return files;
}

}  // namespace

std::string templateDescription(const TextTable& sizes) {
  std::string shared;
  std::string first;
  bool same = sizes.rowCount() > 0;
  for (std::size_t row = 0; row < sizes.rowCount(); ++row) {
    const std::string_view description = sizes.cellText(row, 1 + kDescriptionCell);
    if (first.empty()) first = description;
    const std::size_t dash = description.rfind(" - ");
    const std::string_view tail =
        dash == std::string_view::npos ? std::string_view() : description.substr(dash + 3);
    if (row == 0) shared = tail;
    same = same && !tail.empty() && tail == shared;
  }
  return same ? shared : first;
}

std::vector<BundledTemplate> listBundledTemplates(const fs::path& folder) {
  std::vector<BundledTemplate> found;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const fs::path& path = entry->path();
    if (path.extension() != kSuffix || !isFile(path)) continue;
    bool ok = false;
    const std::string bytes = readAll(path, ok);
    if (!ok) continue;
    TextTable sizes(4);
    census::readTemplate(bytes, sizes);
    found.push_back({path.stem().string(), path, templateDescription(sizes), sizes.rowCount(),
                     countedFiles(sizes)});
  }
  std::sort(found.begin(), found.end(),
            [](const BundledTemplate& a, const BundledTemplate& b) { return a.name < b.name; });
  return found;
}

std::optional<ResolvedTemplate> resolveTemplate(const std::string& text) {
  if (!isBareName(text)) return ResolvedTemplate{text, false, false};
  const fs::path folder = bundledTemplateFolder();
  for (const fs::path& candidate : {folder / text, folder / (text + kSuffix)}) {
    if (!folder.empty() && isFile(candidate)) {
      return ResolvedTemplate{candidate.string(), true, isFile(text)};
    }
  }
  if (isFile(text)) return ResolvedTemplate{text, false, false};
  return std::nullopt;
}

}  // namespace brimwell::census
