// The pictures of pictures.h as Windows bitmaps and icons.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/owned_win.h"
#include "window_kit/pictures.h"

namespace lumadir {

// A 32-bit premultiplied DIB section for AlphaBlend.
[[nodiscard]] owned_bitmap make_picture_bitmap(picture which, int32_t size, bool disabled) noexcept;
// An icon of the picture.
[[nodiscard]] owned_icon make_picture_icon(picture which, int32_t size) noexcept;
// Draws the bitmap (made by make_picture_bitmap) with its transparency.
void draw_picture_bitmap(HDC dc, HBITMAP bitmap, int32_t x, int32_t y, int32_t size) noexcept;

}  // namespace lumadir
