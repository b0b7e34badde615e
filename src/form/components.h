// The window's components as the window description gives them: names, kinds, captions,
// places (client pixels of the window or of a page), the lists' columns and the texts of
// the menus and dialogs. Both views build their controls from these.
#pragma once

#include <span>

#include "app/context.h"
#include "app/fields.h"

namespace brimwell::form {

struct Place {
  int x;
  int y;
  int width;
  int height;
};

inline constexpr const char* kWindowCaption = "Brimwell";
inline constexpr int kClientWidth = 688;
inline constexpr int kClientHeight = 692;
inline constexpr Place kPageControlPlace{10, 10, 666, 626};
inline constexpr Place kStatusPlace{0, kClientHeight - 17 - 21, kClientWidth, 21};
inline constexpr Place kProgressPlace{0, kClientHeight - 17, kClientWidth, 17};
inline constexpr const char* kPageCaptions[2] = {"1) File size analyzation",
                                                 "2) Reproduction and fragmentation"};
// The window's font.
inline constexpr const char* kFontName = "MS Sans Serif";
inline constexpr int kFontPoints = 8;
// The load and save icons are 14 x 14.
inline constexpr int kIconSize = 14;

enum class Kind { Label, Edit, Spin, Button, ImageButton, Bevel, List };
enum class List { sizes, files, files1 };

struct Component {
  const char* name;
  Kind kind;
  // 0 for TabSheet1, 1 for TabSheet2.
  int page;
  const char* caption;
  Place place;
  // The field (Edit: an EditField, Spin: a SpinField) or list (List) it shows; else -1.
  int index;
};

// Every component on the pages, in the order a view creates them (and tabs through them).
std::span<const Component> components();
const Component& componentNamed(std::string_view name);

struct Column {
  const char* header;
  int width;
};
std::span<const Column> columns(List list);
TextTable& listTable(Workspace& lists, List list);

// PopupMenu1, the context menu of `sizes`.
inline constexpr const char* kLoadItem = "Load";
inline constexpr const char* kSaveItem = "Save";

enum class DialogKind { Load, Save };
const char* dialogTitle(DialogKind kind);
inline constexpr const char* kDialogFilterName = "file sizes";
inline constexpr const char* kDialogFilterPattern = "*.fs";
inline constexpr const char* kDialogSuffix = "fs";

inline constexpr const char* kConfirmCaption = "Confirm";
inline constexpr const char* kOkButton = "OK";
inline constexpr const char* kCancelButton = "Cancel";

}  // namespace brimwell::form
