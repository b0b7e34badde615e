#include "cli/list_target.h"

#include "platform/path_style.h"

namespace brimwell::cli {
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
  if (target.empty() || PathStyle::endsWithSeparator(target) || target.back() == ':') {
    return target;
  }
  const bool backslashes =
      target.find('\\') != std::string::npos && target.find('/') == std::string::npos;
  return target + (backslashes ? '\\' : '/');
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
  if (rest.size() >= 2 && rest[1] == ':') return "it names a drive";
  if (const auto component = climbingComponent(rest)) {
    return "its component '" + std::string(*component) + "' climbs out of the target";
  }
  return std::nullopt;
}

std::optional<std::string> escapingNameReason(std::string_view name, bool isPrefix) {
  if (isPrefix) {
    for (const char c : name) {
      if (PathStyle::isSeparator(c)) return "a file-name prefix cannot hold a separator";
    }
  }
  if (const auto component = climbingComponent(name)) {
    return "'" + std::string(*component) + "' would climb out of the target";
  }
  return std::nullopt;
}

std::optional<std::string> unrecordableTargetReason(std::string_view target) {
  if (target.find_first_of(std::string_view("\r\n\t\0", 4)) != std::string_view::npos) {
    return "a target folder cannot hold a line end, a TAB or NUL";
  }
  return std::nullopt;
}

}  // namespace brimwell::cli
