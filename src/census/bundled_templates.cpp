#include "census/bundled_templates.h"

#include <algorithm>
#include <charconv>

#include "census/size_template.h"
#include "platform/path_style.h"

namespace brimwell::census {
namespace {

constexpr std::string_view kSuffix = ".fs";

bool isFile(FileSystem& fs, const std::string& path) {
  PathAttributes attributes;
  return fs.attributes(path, attributes) && !attributes.isDirectory;
}

std::string inFolder(const std::string& folder, const std::string& name) {
  if (PathStyle::endsWithSeparator(folder)) return folder + name;
  return folder + PathStyle::native().separator() + name;
}

bool hasSuffix(const std::string& name) {
  return name.size() > kSuffix.size() && name.ends_with(kSuffix);
}

bool isBareName(const std::string& text) {
  return !text.empty() && text.find_first_of("/\\:") == std::string::npos && text != "." &&
         text != "..";
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

std::vector<BundledTemplate> listBundledTemplates(FileSystem& fs, const std::string& folder) {
  std::vector<BundledTemplate> found;
  int error = 0;
  const std::unique_ptr<FolderListing> listing = fs.listFolder(folder, false, error);
  DirEntry entry;
  while (listing && listing->next(entry)) {
    if (entry.isDirectory || !hasSuffix(entry.name)) continue;
    const std::string path = inFolder(folder, entry.name);
    std::string bytes;
    if (fs.readFile(path, bytes) != 0) continue;
    TextTable sizes(4);
    census::readTemplate(bytes, sizes);
    found.push_back({entry.name.substr(0, entry.name.size() - kSuffix.size()), path,
                     templateDescription(sizes), sizes.rowCount(), countedFiles(sizes)});
  }
  std::sort(found.begin(), found.end(),
            [](const BundledTemplate& a, const BundledTemplate& b) { return a.name < b.name; });
  return found;
}

std::optional<ResolvedTemplate> resolveTemplate(FileSystem& fs, const std::string& folder,
                                                const std::string& text) {
  if (!isBareName(text)) return ResolvedTemplate{text, false, false};
  for (const std::string& name : {text, text + std::string(kSuffix)}) {
    const std::string candidate = inFolder(folder, name);
    if (!folder.empty() && isFile(fs, candidate)) {
      return ResolvedTemplate{candidate, true, isFile(fs, text)};
    }
  }
  if (isFile(fs, text)) return ResolvedTemplate{text, false, false};
  return std::nullopt;
}

}  // namespace brimwell::census
