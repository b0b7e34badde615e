#include "joblist/list_target.h"

#include <algorithm>
#include <vector>

#include "platform/path_style.h"

namespace brimwell::joblist {
namespace {

// "..", and names of dots only or ending in dots and blanks, which Windows trims to "..".
bool climbs(std::string_view component) {
  if (component == "..") return true;
  std::size_t end = component.size();
  while (end > 0 && (component[end - 1] == '.' || component[end - 1] == ' ')) --end;
  return end == 0 && component.size() >= 2 && component.find('.') != std::string_view::npos;
}

// The first component of `path` that climbs, or nothing.
std::optional<std::string_view> climbingComponent(std::string_view path) {
  std::size_t at = 0;
  while (at <= path.size()) {
    std::size_t end = at;
    while (end < path.size() && !PathStyle::isSeparator(path[end])) ++end;
    const std::string_view component = path.substr(at, end - at);
    if (climbs(component)) return component;
    at = end + 1;
  }
  return std::nullopt;
}

}  // namespace

std::string asTargetFolder(const std::string& target) {
  const bool backslashes =
      target.find('\\') != std::string::npos && target.find('/') == std::string::npos;
  const char separator = backslashes ? '\\' : '/';
  const std::size_t drive = PathStyle::startsWithDrive(target) ? 2 : 0;
  std::string folder = target.substr(0, drive);
  std::string_view rest = std::string_view(target).substr(drive);
  // One leading separator, or two for a network path (\\server\share).
  std::size_t leading = 0;
  while (leading < rest.size() && PathStyle::isSeparator(rest[leading])) ++leading;
  const bool absolute = leading > 0;
  folder.append(std::min<std::size_t>(leading, drive == 0 ? 2 : 1), separator);
  rest.remove_prefix(leading);

  std::vector<std::string_view> components;
  while (!rest.empty()) {
    std::size_t end = 0;
    while (end < rest.size() && !PathStyle::isSeparator(rest[end])) ++end;
    const std::string_view component = rest.substr(0, end);
    rest.remove_prefix(end == rest.size() ? end : end + 1);
    if (component.empty() || component == ".") continue;
    if (component == ".." && !components.empty() && components.back() != "..") {
      components.pop_back();
    } else if (component != ".." || !absolute) {
      components.push_back(component);  // ".." above the root stays at the root
    }
  }
  for (const std::string_view component : components) {
    folder += component;
    folder += separator;
  }
  return folder;
}

bool isTreeRoot(std::string_view folder) {
  if (PathStyle::startsWithDrive(folder)) folder.remove_prefix(2);
  for (const char c : folder) {
    if (!PathStyle::isSeparator(c)) return false;
  }
  return true;
}

std::optional<std::string> refusedTargetReason(std::string_view target, bool allowRoot) {
  if (target.empty()) return std::string("the target folder is empty");
  if (isTreeRoot(target) && !allowRoot) {
    return "the target folder '" + std::string(target) +
           "' is the root of the tree; give --allow-root to write or delete there";
  }
  return std::nullopt;
}

std::optional<std::string> outsideTargetReason(std::string_view path, std::string_view target) {
  bool starts = path.size() >= target.size();
  for (std::size_t i = 0; starts && i < target.size(); ++i) {
    const bool bothSeparators =
        PathStyle::isSeparator(path[i]) && PathStyle::isSeparator(target[i]);
    starts = bothSeparators || path[i] == target[i];
  }
  if (!starts) return "it does not start with the target folder";
  const std::string_view rest = path.substr(target.size());
  if (!rest.empty() && PathStyle::isSeparator(rest.front())) {
    return "it does not start with the target folder";
  }
  if (PathStyle::startsWithDrive(rest)) return "it names a drive";
  if (const auto component = climbingComponent(rest)) {
    return "its component '" + std::string(*component) + "' climbs out of the target";
  }
  return std::nullopt;
}

std::optional<std::string> escapingNameReason(std::string_view name, bool isPrefix) {
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return std::string("it cannot hold a control character");
    if (PathStyle::isSeparator(c)) {
      return std::string(name.front() == c ? "it cannot be an absolute path"
                                           : "it cannot hold a separator");
    }
  }
  if (PathStyle::startsWithDrive(name)) {
    return std::string("it cannot start with a drive");
  }
  if (!isPrefix && climbs(name)) return "'" + std::string(name) + "' would climb out of the target";
  return std::nullopt;
}

std::optional<std::string> unrecordableTargetReason(std::string_view target) {
  if (target.find_first_of(std::string_view("\r\n\t\0", 4)) != std::string_view::npos) {
    return "a target folder cannot hold a line end, a TAB or NUL";
  }
  return std::nullopt;
}

}  // namespace brimwell::joblist
