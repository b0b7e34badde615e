// The folder a command-line job keeps to: how --target is read, how a list file records
// it, and which list entries and build options stay inside it.
//
// A list made by build starts with the line "# target: DIR", normalised (asTargetFolder). reproduce
// and erase refuse a list with an entry outside its target before they ask anything: an entry lies
// inside when it starts with the target (the separators "\" and "/" taken as one) and the rest has
// no
// ".." component (nor a name of dots and blanks only, which Windows may read as one), does
// not start with a drive ("c:") and does not start with a separator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brimwell::joblist {

inline constexpr std::string_view kTargetLinePrefix = "# target: ";

// `target` as a folder, normalised once so that every comparison sees the same text:
// repeated separators are one (a leading pair, a network path, stays), "." components go,
// ".." takes the component before it away (textually: links are not looked at; above the
// root it stays at the root), and it ends in a separator ("/", or "\" when it uses "\"
// only) unless it is empty or a bare drive ("c:").
std::string asTargetFolder(const std::string& target);

// True when the normalised `folder` is the root of a tree: "/", "\\", "c:\", "c:". An empty
// folder (the current folder) is not a root; it is refused on its own.
bool isTreeRoot(std::string_view folder);

// Why `target`, normalised, cannot be a job's target: empty, or the root of a tree unless
// `allowRoot`; nothing when fine.
std::optional<std::string> refusedTargetReason(std::string_view target, bool allowRoot);

// Why `path` lies outside `target`, or nothing when it lies inside.
std::optional<std::string> outsideTargetReason(std::string_view path, std::string_view target);

// Why a root name (--root) or, with `isPrefix`, a file-name prefix (--prefix) cannot be one
// name inside the target: a control character, a separator (so no absolute path), a
// leading drive ("c:"), or for a root a name of dots that climbs; nothing when fine.
std::optional<std::string> escapingNameReason(std::string_view name, bool isPrefix);

// Why a target cannot be recorded in a list (a line end, TAB or NUL in it); nothing when
// fine.
std::optional<std::string> unrecordableTargetReason(std::string_view target);

}  // namespace brimwell::joblist
