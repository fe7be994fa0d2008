// A panel that shows a colour or a font: the settings dialog's swatches
// ("#RRGGBB" in the complementary colour) and font samples ("Arial, 10pt"
// in that font over the line's background).
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/owned_win.h"
#include "engine/listing_settings.h"
#include "ui/listing_font.h"

namespace lumadir {

class sample_panel {
 public:
  sample_panel() noexcept = default;
  sample_panel(const sample_panel&) = delete;
  sample_panel& operator=(const sample_panel&) = delete;

  bool create(HWND parent, int32_t id) noexcept;
  HWND handle() const { return handle_; }

  // A swatch: the colour, its hexadecimal text, the text in the complement.
  void show_colour(uint32_t color) noexcept;
  // A font sample over a background.
  void show_font(const font_style& font, uint32_t background) noexcept;
  void set_background(uint32_t color) noexcept;

  uint32_t background() const { return background_; }
  const font_style& font() const { return font_; }
  const char* text() const { return text_; }
  uint32_t text_color() const { return text_color_; }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void paint() noexcept;
  void make_font() noexcept;

  HWND handle_ = nullptr;
  uint32_t background_ = 0xFFFFFF;
  uint32_t text_color_ = 0;
  bool is_font_ = false;
  font_style font_{0, 10, 0, 400, variant("Arial")};
  owned_font hfont_;
  char text_[96] = "";
};

// "#RRGGBB" of a 0x00BBGGRR colour.
void colour_text(uint32_t color, char (&out)[8]) noexcept;

}  // namespace lumadir
