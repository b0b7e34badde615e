// A spin field's rules, on its text: stepping, bringing into range, and which typed
// characters it takes. The views call these from their key, button and focus events.
//
// Typing is filtered by the text a key types: digits, "+", "-", the decimal separator and
// control characters other than Enter (a carriage return) pass; any other typed character
// is dropped with a beep. Keys that type nothing and pasted text are not filtered.
// The buttons and the Up and Down keys step by 1 from the value as read and write the
// clamped result back; holding a button repeats the step after kFirstRepeatMs, then every
// kRepeatMs, while the pointer stays on it. Leaving the field clamps a value that parses;
// a text that does not parse stays, and reads as the minimum.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/fields.h"

namespace brimwell::form {

inline constexpr int kFirstRepeatMs = 400;
inline constexpr int kRepeatMs = 100;

// The text after a step of `delta` from the value `text` reads as.
std::string steppedText(std::string_view text, std::int32_t minimum, std::int32_t maximum,
                        int delta);
// The text a field keeps when it loses the focus; nothing when it stays as it is.
std::optional<std::string> clampedText(std::string_view text, std::int32_t minimum,
                                       std::int32_t maximum);
// Whether a key that types `typed` (UTF-8; one key's text) is let into the field.
bool acceptsTyped(std::string_view typed, std::string_view decimalSeparator);

}  // namespace brimwell::form
