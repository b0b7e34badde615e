// How the tool's paths are spelled: which separator it writes, and what a root is.
//
// Both styles accept "\" and "/" wherever they look for a separator; they differ in the
// separator they write and in what counts as a root that needs no creating.
#pragma once

#include <string_view>

namespace brimwell {

class PathStyle {
 public:
  enum class Kind { Windows, Posix };

  static PathStyle windows() { return PathStyle(Kind::Windows); }
  static PathStyle posix() { return PathStyle(Kind::Posix); }
  // The style of the platform the program was built for.
  static PathStyle native();

  Kind kind() const { return kind_; }
  char separator() const { return kind_ == Kind::Windows ? '\\' : '/'; }
  static bool isSeparator(char c) { return c == '\\' || c == '/'; }
  static bool endsWithSeparator(std::string_view path) {
    return !path.empty() && isSeparator(path.back());
  }
  // True when the path starts with a drive: a letter A-Z or a-z, then ":". Anything else
  // before a ":" ("1:00.DAT") is part of a name.
  static bool startsWithDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
  }
  // Everything up to and including the last separator or ":", whichever stands later;
  // empty when the path has neither. This is the Windows style's rule.
  static std::string_view folderPart(std::string_view path);
  // The folder part of `path` under this style. Windows: folderPart(). POSIX: everything
  // up to and including the last separator; without one, a drive ("c:") at the start;
  // else empty. ":" is an ordinary character of a POSIX name ("12:00-1.DAT").
  std::string_view folderPartOf(std::string_view path) const;
  // True for a folder path (its trailing separator removed) that always exists and is
  // never created: a bare drive such as "d:" (any text shorter than 3 characters under
  // the Windows style), or the root "/" and a bare drive under the POSIX style.
  bool isRoot(std::string_view folderWithoutTrailingSeparator) const;

 private:
  explicit PathStyle(Kind kind) : kind_(kind) {}
  Kind kind_;
};

}  // namespace brimwell
