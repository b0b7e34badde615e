// The folder a command-line job keeps to: how --target is read, how a list file records
// it, and which list entries and build options stay inside it.
//
// A list made by build starts with the line "# target: DIR". reproduce and erase refuse a
// list with an entry outside its target before they ask anything: an entry lies inside when
// it starts with the target (the separators "\" and "/" taken as one) and the rest has no
// ".." component (nor a name of dots and blanks only, which Windows may read as one), does
// not start with a drive ("c:") and does not start with a separator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brimwell::cli {

inline constexpr std::string_view kTargetLinePrefix = "# target: ";

// `target` as a folder: a separator ("/", or "\" when it already uses "\") is added unless
// it is empty or ends in a separator or ":".
std::string asTargetFolder(const std::string& target);

// Why `path` lies outside `target`, or nothing when it lies inside.
std::optional<std::string> outsideTargetReason(std::string_view path, std::string_view target);

// Why a root name (--root) or, with `isPrefix`, a file-name prefix (--prefix) would lead
// out of the target: a ".." component, or for the prefix any separator; nothing when fine.
std::optional<std::string> escapingNameReason(std::string_view name, bool isPrefix);

// Why a target cannot be recorded in a list (a line end, TAB or NUL in it); nothing when
// fine.
std::optional<std::string> unrecordableTargetReason(std::string_view target);

}  // namespace brimwell::cli
