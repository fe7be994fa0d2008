#include "ui/sample_panel.h"

#include <cstdio>

#include "window_kit/dpi.h"
#include "window_kit/window_base.h"

namespace lumadir {

void colour_text(uint32_t color, char (&out)[8]) noexcept {
  std::snprintf(out, sizeof out, "#%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF,
                (color >> 16) & 0xFF);
}

bool sample_panel::create(HWND parent, int32_t id) noexcept {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  register_window_class("LumadirSample", procedure, nullptr);
  handle_ =
      CreateWindowExA(WS_EX_STATICEDGE, "LumadirSample", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
  return handle_ != nullptr;
}

void sample_panel::show_colour(uint32_t color) noexcept {
  is_font_ = false;
  background_ = color & 0xFFFFFF;
  text_color_ = ~color & 0xFFFFFF;
  char hex[8];
  colour_text(color, hex);
  std::snprintf(text_, sizeof text_, "%s", hex);
  InvalidateRect(handle_, nullptr, TRUE);
}

void sample_panel::show_font(const font_style& font, uint32_t background) noexcept {
  is_font_ = true;
  font_ = font;
  background_ = background;
  text_color_ = font.color;
  std::snprintf(text_, sizeof text_, "%s, %dpt", font_.name.c_str(), static_cast<int>(font_.size));
  make_font();
  InvalidateRect(handle_, nullptr, TRUE);
}

void sample_panel::set_background(uint32_t color) noexcept {
  background_ = color;
  InvalidateRect(handle_, nullptr, TRUE);
}

void sample_panel::make_font() noexcept {
  const LOGFONTW lf = font_description(font_, scale_of(handle_).dpi);
  hfont_.reset(CreateFontIndirectW(&lf));
}

void sample_panel::paint() noexcept {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle_, &paint);
  RECT r;
  GetClientRect(handle_, &r);
  const owned_brush brush(CreateSolidBrush(background_));
  FillRect(dc, &r, brush.get());
  HFONT font = is_font_ && hfont_
                   ? hfont_.get()
                   : reinterpret_cast<HFONT>(SendMessageA(GetParent(handle_), WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text_color_);
  DrawTextA(dc, text_, -1, &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  SelectObject(dc, old);
  EndPaint(handle_, &paint);
}

LRESULT CALLBACK sample_panel::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = bound_object<sample_panel>(window, message, lparam);
  if (self && message == WM_PAINT) {
    self->paint();
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace lumadir
