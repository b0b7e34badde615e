#include "gui/win32/xpm_icon.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>

#include "gui/icons/load.xpm"
#include "gui/icons/save.xpm"

namespace brimwell::win32 {

const char* const* const kLoadXpm = load_xpm;
const char* const* const kSaveXpm = save_xpm;

HBITMAP bitmapFromXpm(const char* const* xpm) {
  int width = 0, height = 0, colours = 0, perPixel = 0;
  if (std::sscanf(xpm[0], "%d %d %d %d", &width, &height, &colours, &perPixel) != 4 ||
      perPixel != 1) {
    return nullptr;
  }
  // Premultiplied BGRA; "None" is fully transparent.
  std::map<char, std::uint32_t> palette;
  for (int i = 1; i <= colours; ++i) {
    const char* hash = std::strchr(xpm[i], '#');
    unsigned rgb = 0;
    palette[xpm[i][0]] =
        hash != nullptr && std::sscanf(hash + 1, "%6x", &rgb) == 1 ? 0xFF000000u | rgb : 0u;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    const char* row = xpm[1 + colours + y];
    for (int x = 0; x < width; ++x) pixels[y * width + x] = palette[row[x]];
  }
  return bitmap;
}

}  // namespace brimwell::win32
