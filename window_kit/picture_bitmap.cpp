#include "window_kit/picture_bitmap.h"

namespace lumadir {

namespace {

// A memory device context, deleted when done.
struct memory_dc_traits {
  using handle = HDC;
  static handle invalid() noexcept { return nullptr; }
  static void close(handle h) noexcept { DeleteDC(h); }
};

owned_bitmap make_dib(int32_t size, uint32_t** bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  owned_bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  *bits = static_cast<uint32_t*>(pixels);
  return bitmap;
}

}  // namespace

owned_bitmap make_picture_bitmap(picture which, int32_t size, bool disabled) noexcept {
  uint32_t* bits = nullptr;
  owned_bitmap bitmap = make_dib(size, &bits);
  if (!bitmap) return bitmap;
  render_picture(which, size, disabled, bits);
  GdiFlush();
  return bitmap;
}

owned_icon make_picture_icon(picture which, int32_t size) noexcept {
  const owned_bitmap color = make_picture_bitmap(which, size, false);
  if (!color) return owned_icon();
  // The mask is ignored for 32-bit colour with alpha, but must exist.
  const owned_bitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
  ICONINFO info = {};
  info.fIcon = TRUE;
  info.hbmColor = color.get();
  info.hbmMask = mask.get();
  return owned_icon(CreateIconIndirect(&info));
}

void draw_picture_bitmap(HDC dc, HBITMAP bitmap, int32_t x, int32_t y, int32_t size) noexcept {
  if (!bitmap) return;
  const owned<memory_dc_traits> memory(CreateCompatibleDC(dc));
  HGDIOBJ old = SelectObject(memory.get(), bitmap);
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, x, y, size, size, memory.get(), 0, 0, size, size, blend);
  SelectObject(memory.get(), old);
}

}  // namespace lumadir
