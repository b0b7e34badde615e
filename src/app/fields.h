// The window's parameter fields, their defaults and ranges, and reading their values.
//
// Operations read a field afresh at every use through a FieldReader: the window reads its
// widgets, the command line and tests a FieldValues.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace brimwell {

enum class SpinField { SpinEdit1, SpinEdit2, subf1, subf2, subf3, subf4, subf5, delprocent };
enum class EditField { scanpath, path1, path2, path3, path4, path5, id, reprodpath };

inline constexpr std::size_t kSpinFieldCount = 8;
inline constexpr std::size_t kEditFieldCount = 8;

struct SpinFieldInfo {
  const char* name;
  std::int32_t minimum;
  std::int32_t maximum;
  std::int32_t defaultValue;
};

struct EditFieldInfo {
  const char* name;
  const char* defaultText;
};

const SpinFieldInfo& spinFieldInfo(SpinField field);
const EditFieldInfo& editFieldInfo(EditField field);

// The root-name field and depth field of root r (0 to 4).
EditField rootNameField(int r);
SpinField rootDepthField(int r);

// A spin field's value from its text: the text parsed as a 32-bit cell, or the field's
// minimum when it does not parse. Not clamped.
std::int32_t spinFieldValue(std::string_view text, std::int32_t minimum);

// A spin field's value brought into its range (a no-op when minimum equals maximum).
std::int32_t clampToRange(std::int32_t value, std::int32_t minimum, std::int32_t maximum);

class FieldReader {
 public:
  virtual ~FieldReader() = default;
  virtual std::int32_t value(SpinField field) = 0;
  // The edit field's text exactly as typed.
  virtual std::string text(EditField field) = 0;
};

// Field texts held in memory, starting at the window's defaults.
class FieldValues : public FieldReader {
 public:
  FieldValues();
  void setText(SpinField field, std::string text);
  void setValue(SpinField field, std::int32_t value);
  void setText(EditField field, std::string text);

  std::int32_t value(SpinField field) override;
  std::string text(EditField field) override;

 private:
  // Each spin field's value, parsed when its text is set: operations read a field afresh
  // at every use, up to once a file.
  std::array<std::int32_t, kSpinFieldCount> spinValues_{};
  std::array<std::string, kEditFieldCount> editTexts_;
};

}  // namespace brimwell
