// The load and save images of the size template's buttons and menu items, made from the
// same XPM pictures the Qt window shows (one character a pixel, "None" transparent).
#pragma once

#include <windows.h>

namespace brimwell::win32 {

// A 32-bit image with alpha, as buttons (BM_SETIMAGE) and menu items (MIIM_BITMAP) take.
HBITMAP bitmapFromXpm(const char* const* xpm);

extern const char* const* const kLoadXpm;
extern const char* const* const kSaveXpm;

}  // namespace brimwell::win32
