#include "app/fields.h"

#include "app/cell_number.h"

namespace brimwell {
namespace {

constexpr std::array<SpinFieldInfo, kSpinFieldCount> kSpinFields{{
    {"SpinEdit1", 1, 1000000, 6000},
    {"SpinEdit2", 1, 30000, 800},
    {"subf1", 0, 99, 3},
    {"subf2", 0, 99, 6},
    {"subf3", 0, 99, 8},
    {"subf4", 0, 99, 0},
    {"subf5", 0, 99, 1},
    {"delprocent", 1, 99, 15},
}};

constexpr std::array<EditFieldInfo, kEditFieldCount> kEditFields{{
    {"scanpath", "c:\\"},
    {"path1", "Windows emul"},
    {"path2", "Program Files emul"},
    {"path3", "Documents and Settings emul"},
    {"path4", "My Downloads emul"},
    {"path5", "RECYCLED emul"},
    {"id", "001-"},
    {"reprodpath", "d:\\"},
}};

}  // namespace

const SpinFieldInfo& spinFieldInfo(SpinField field) {
  return kSpinFields[static_cast<std::size_t>(field)];
}

const EditFieldInfo& editFieldInfo(EditField field) {
  return kEditFields[static_cast<std::size_t>(field)];
}

EditField rootNameField(int r) {
  return static_cast<EditField>(static_cast<int>(EditField::path1) + r);
}

SpinField rootDepthField(int r) {
  return static_cast<SpinField>(static_cast<int>(SpinField::subf1) + r);
}

std::int32_t spinFieldValue(std::string_view text, std::int32_t minimum) {
  return tryParseInt32(text).value_or(minimum);
}

std::int32_t clampToRange(std::int32_t value, std::int32_t minimum, std::int32_t maximum) {
  if (minimum == maximum) return value;
  if (value < minimum) return minimum;
  if (value > maximum) return maximum;
  return value;
}

FieldValues::FieldValues() {
  for (std::size_t i = 0; i < kSpinFieldCount; ++i) {
    setValue(static_cast<SpinField>(i), kSpinFields[i].defaultValue);
  }
  for (std::size_t i = 0; i < kEditFieldCount; ++i) editTexts_[i] = kEditFields[i].defaultText;
}

void FieldValues::setText(SpinField field, std::string text) {
  spinValues_[static_cast<std::size_t>(field)] = spinFieldValue(text, spinFieldInfo(field).minimum);
}

void FieldValues::setValue(SpinField field, std::int32_t value) {
  spinValues_[static_cast<std::size_t>(field)] = value;
}

void FieldValues::setText(EditField field, std::string text) {
  editTexts_[static_cast<std::size_t>(field)] = std::move(text);
}

std::int32_t FieldValues::value(SpinField field) {
  return spinValues_[static_cast<std::size_t>(field)];
}

std::string FieldValues::text(EditField field) {
  return editTexts_[static_cast<std::size_t>(field)];
}

}  // namespace brimwell
