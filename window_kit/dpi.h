// Screen scaling. Every layout of the program is written in pixels at 96 DPI
// and scaled to the DPI of the monitor a window is on; fonts follow the
// system's message font at that DPI.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/owned_win.h"

namespace lumadir {

struct dpi_scale {
  int32_t dpi = 96;
  int32_t operator()(int32_t pixels) const { return MulDiv(pixels, dpi, 96); }
  RECT rect(int32_t left, int32_t top, int32_t width, int32_t height) const {
    return {(*this)(left), (*this)(top), (*this)(left + width), (*this)(top + height)};
  }
};

// The DPI of the window's monitor; of the primary monitor for none.
[[nodiscard]] dpi_scale scale_of(HWND window) noexcept;

// The system's message font at the DPI; `bold` gives the same face in bold.
[[nodiscard]] owned_font make_message_font(const dpi_scale& scale, bool bold = false) noexcept;

// Moves a child to a rectangle given in 96-DPI pixels.
void place(HWND child, const dpi_scale& scale, int32_t left, int32_t top, int32_t width,
           int32_t height) noexcept;

// Sizes the window so that its client area is the given one (96-DPI pixels,
// scaled), whatever its frame and menu bar turn out to take.
void fit_client_area(HWND window, const dpi_scale& scale, int32_t width, int32_t height) noexcept;

// Gives the font to the window and every child.
void set_font_everywhere(HWND window, HFONT font) noexcept;

}  // namespace lumadir
