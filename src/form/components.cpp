#include "form/components.h"

#include <array>
#include <stdexcept>
#include <string>

namespace brimwell::form {
namespace {

// The pages' inner width and the margins the components keep to it.
constexpr int kPageWidth = 660;
constexpr int kLeft = 10;
constexpr int kFullWidth = kPageWidth - 2 * kLeft;
// The right column of the second page: spin fields and the depth fields.
constexpr int kRightColumn = 500;
constexpr int kRightWidth = kPageWidth - kLeft - kRightColumn;
constexpr int kFieldHeight = 22;
constexpr int kButtonHeight = 25;
constexpr int kLabelHeight = 16;
constexpr int kImageButton = 22;
constexpr int kSideLabelWidth = 300;

constexpr Place right(int y) { return {kRightColumn, y, kRightWidth, kFieldHeight}; }
// A label beside a right-column field, level with the field's text.
constexpr Place besideLabel(int y) {
  return {kLeft, y + (kFieldHeight - kLabelHeight) / 2, kSideLabelWidth, kLabelHeight};
}
constexpr Place centredButton(int width, int y) {
  return {(kPageWidth - width) / 2, y, width, kButtonHeight};
}
constexpr Place bevel(int y) { return {kLeft, y, kFullWidth, 2}; }
constexpr Place root(int r) {
  return {kLeft, 92 + r * 26, kRightColumn - kLeft - 20, kFieldHeight};
}
constexpr Place depth(int r) { return right(92 + r * 26); }

constexpr int kIdTop = 92 + 5 * 26 + 8;
constexpr int kReproduceTop = kIdTop + 82;
constexpr int kDeleteTop = kReproduceTop + 96;
constexpr int kDeleteButtonWidth = 260;
constexpr int kDeleteGap = 10;
constexpr int kDeleteLeft = (kPageWidth - 2 * kDeleteButtonWidth - kDeleteGap) / 2;
constexpr Place kListPlace{kLeft, kDeleteTop + 78, kFullWidth, 588 - (kDeleteTop + 78)};

constexpr int spin(SpinField field) { return static_cast<int>(field); }
constexpr int edit(EditField field) { return static_cast<int>(field); }
constexpr int list(List which) { return static_cast<int>(which); }

constexpr std::array kComponents{
    Component{"sizes", Kind::List, 0, "", {kLeft, 10, kFullWidth, 450}, list(List::sizes)},
    Component{"sizeload",
              Kind::ImageButton,
              0,
              "",
              {kLeft + kFullWidth - 2 * kImageButton - 2, 464, kImageButton, kImageButton},
              -1},
    Component{"sizesave",
              Kind::ImageButton,
              0,
              "",
              {kLeft + kFullWidth - kImageButton, 464, kImageButton, kImageButton},
              -1},
    Component{"Label1",
              Kind::Label,
              0,
              "Path to analyse (for example, \"c:\\\")",
              {kLeft, 500, kFullWidth, kLabelHeight},
              -1},
    Component{"scanpath",
              Kind::Edit,
              0,
              "",
              {kLeft, 518, kFullWidth, kFieldHeight},
              edit(EditField::scanpath)},
    Component{"analyse", Kind::Button, 0, "Analyse", centredButton(100, 552), -1},

    Component{"Label9", Kind::Label, 1, "Number of files", besideLabel(12), -1},
    Component{"SpinEdit1", Kind::Spin, 1, "", right(12), spin(SpinField::SpinEdit1)},
    Component{"Label10", Kind::Label, 1, "Max number of folders", besideLabel(40), -1},
    Component{"SpinEdit2", Kind::Spin, 1, "", right(40), spin(SpinField::SpinEdit2)},
    Component{"Label4",
              Kind::Label,
              1,
              "Root folders 1-5",
              {kLeft, 74, kSideLabelWidth, kLabelHeight},
              -1},
    Component{"Label2",
              Kind::Label,
              1,
              "Max depth of subfolders",
              {kRightColumn, 74, kRightWidth, kLabelHeight},
              -1},
    Component{"path1", Kind::Edit, 1, "", root(0), edit(EditField::path1)},
    Component{"subf1", Kind::Spin, 1, "", depth(0), spin(SpinField::subf1)},
    Component{"path2", Kind::Edit, 1, "", root(1), edit(EditField::path2)},
    Component{"subf2", Kind::Spin, 1, "", depth(1), spin(SpinField::subf2)},
    Component{"path3", Kind::Edit, 1, "", root(2), edit(EditField::path3)},
    Component{"subf3", Kind::Spin, 1, "", depth(2), spin(SpinField::subf3)},
    Component{"path4", Kind::Edit, 1, "", root(3), edit(EditField::path4)},
    Component{"subf4", Kind::Spin, 1, "", depth(3), spin(SpinField::subf4)},
    Component{"path5", Kind::Edit, 1, "", root(4), edit(EditField::path5)},
    Component{"subf5", Kind::Spin, 1, "", depth(4), spin(SpinField::subf5)},
    Component{"Label5", Kind::Label, 1, "File serial ID", besideLabel(kIdTop), -1},
    Component{"id", Kind::Edit, 1, "", right(kIdTop), edit(EditField::id)},
    Component{"build", Kind::Button, 1, "a) Build file system", centredButton(200, kIdTop + 34),
              -1},
    Component{"Bevel1", Kind::Bevel, 1, "", bevel(kIdTop + 70), -1},
    Component{"Label3",
              Kind::Label,
              1,
              "Path to reproduce (for example, \"d:\\\")",
              {kLeft, kReproduceTop, kFullWidth, kLabelHeight},
              -1},
    Component{"reprodpath",
              Kind::Edit,
              1,
              "",
              {kLeft, kReproduceTop + 18, kFullWidth, kFieldHeight},
              edit(EditField::reprodpath)},
    Component{"reproduce", Kind::Button, 1, "b) Reproduce to drive",
              centredButton(200, kReproduceTop + 48), -1},
    Component{"Bevel3", Kind::Bevel, 1, "", bevel(kReproduceTop + 84), -1},
    Component{"Label11", Kind::Label, 1, "% of files to delete", besideLabel(kDeleteTop), -1},
    Component{"delprocent", Kind::Spin, 1, "", right(kDeleteTop), spin(SpinField::delprocent)},
    Component{"del1",
              Kind::Button,
              1,
              "c) Sort out files for deletion",
              {kDeleteLeft, kDeleteTop + 32, kDeleteButtonWidth, kButtonHeight},
              -1},
    Component{"del2",
              Kind::Button,
              1,
              "d) Delete files to add fragmentation",
              {kDeleteLeft + kDeleteButtonWidth + kDeleteGap, kDeleteTop + 32, kDeleteButtonWidth,
               kButtonHeight},
              -1},
    Component{"Bevel2", Kind::Bevel, 1, "", bevel(kDeleteTop + 68), -1},
    Component{"files1", Kind::List, 1, "", kListPlace, list(List::files1)},
    Component{"files", Kind::List, 1, "", kListPlace, list(List::files)},
};

constexpr std::array kSizesColumns{Column{"Size threshold", 150}, Column{"Count", 80},
                                   Column{"%", 80}, Column{"Description", 260}};
constexpr std::array kFilesColumns{Column{"Folders", 400}};
constexpr std::array kFiles1Columns{Column{"Files", 400}, Column{"Size", 50}};

}  // namespace

std::span<const Component> components() { return kComponents; }

const Component& componentNamed(std::string_view name) {
  for (const Component& component : kComponents) {
    if (component.name == name) return component;
  }
  throw std::logic_error("no component " + std::string(name));
}

std::span<const Column> columns(List which) {
  switch (which) {
    case List::sizes:
      return kSizesColumns;
    case List::files:
      return kFilesColumns;
    case List::files1:
      break;
  }
  return kFiles1Columns;
}

TextTable& listTable(Workspace& lists, List which) {
  switch (which) {
    case List::sizes:
      return lists.sizes;
    case List::files:
      return lists.files;
    case List::files1:
      break;
  }
  return lists.files1;
}

const char* dialogTitle(DialogKind kind) {
  return kind == DialogKind::Load ? "Load file sizes" : "Save file sizes";
}

}  // namespace brimwell::form
