#include "ui/picture_bitmap.h"

namespace lumadir {

static HBITMAP make_dib(int32_t size, uint32_t** bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  *bits = static_cast<uint32_t*>(pixels);
  return bitmap;
}

HBITMAP make_picture_bitmap(picture which, int32_t size, bool disabled) noexcept {
  uint32_t* bits = nullptr;
  HBITMAP bitmap = make_dib(size, &bits);
  if (!bitmap) return nullptr;
  render_picture(which, size, disabled, bits);
  GdiFlush();
  return bitmap;
}

HICON make_picture_icon(picture which, int32_t size) noexcept {
  HBITMAP color = make_picture_bitmap(which, size, false);
  if (!color) return nullptr;
  // The mask is ignored for 32-bit colour with alpha, but must exist.
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  ICONINFO info = {};
  info.fIcon = TRUE;
  info.hbmColor = color;
  info.hbmMask = mask;
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(color);
  DeleteObject(mask);
  return icon;
}

void draw_picture_bitmap(HDC dc, HBITMAP bitmap, int32_t x, int32_t y, int32_t size) noexcept {
  if (!bitmap) return;
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, x, y, size, size, memory, 0, 0, size, size, blend);
  SelectObject(memory, old);
  DeleteDC(memory);
}

}  // namespace lumadir
