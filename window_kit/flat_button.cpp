#include "window_kit/flat_button.h"

#include <commctrl.h>

#include "window_kit/dpi.h"
#include "window_kit/picture_bitmap.h"
#include "window_kit/window_base.h"

namespace lumadir {

flat_button::~flat_button() {
  if (handle_) RemoveWindowSubclass(handle_, subclass_procedure, 1);
}

bool flat_button::create(HWND parent, int32_t id, picture which, picture_place place,
                         int32_t size) noexcept {
  picture_ = which;
  design_size_ = size;
  place_ = place;
  handle_ = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0,
                            0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), nullptr);
  if (!handle_) return false;
  SetWindowSubclass(handle_, subclass_procedure, 1, reinterpret_cast<DWORD_PTR>(this));
  refresh_pictures();
  return true;
}

void flat_button::refresh_pictures() noexcept {
  picture_size_ = scale_of(handle_)(design_size_);
  normal_ = make_picture_bitmap(picture_, picture_size_, false);
  disabled_ = make_picture_bitmap(picture_, picture_size_, true);
  InvalidateRect(handle_, nullptr, TRUE);
}

void flat_button::draw(const DRAWITEMSTRUCT& item) noexcept {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool disabled = item.itemState & ODS_DISABLED;
  const bool pressed = item.itemState & ODS_SELECTED;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  if (pressed)
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  else if (hot_ && !disabled)
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);

  char text[128];
  const int length = GetWindowTextA(handle_, text, sizeof text);
  HGDIOBJ old_font =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(handle_, WM_GETFONT, 0, 0)));
  RECT text_size = {0, 0, 0, 0};
  DrawTextA(dc, text, length, &text_size, DT_CALCRECT | DT_SINGLELINE);
  const int text_width = text_size.right, text_height = text_size.bottom;
  const int gap = scale_of(handle_)(4);
  const int shift = pressed ? 1 : 0;
  const int width = r.right - r.left, height = r.bottom - r.top;
  int picture_x, picture_y;
  RECT text_rect;
  if (place_ == picture_place::above_text) {
    const int top = (height - (picture_size_ + gap + text_height)) / 2;
    picture_x = (width - picture_size_) / 2;
    picture_y = top;
    text_rect = {0, top + picture_size_ + gap, width, top + picture_size_ + gap + text_height};
  } else {
    const int left = (width - (picture_size_ + gap + text_width)) / 2;
    picture_x = left;
    picture_y = (height - picture_size_) / 2;
    text_rect = {left + picture_size_ + gap, 0, left + picture_size_ + gap + text_width, height};
  }
  draw_picture_bitmap(dc, (disabled ? disabled_ : normal_).get(), picture_x + shift,
                      picture_y + shift, picture_size_);
  OffsetRect(&text_rect, shift, shift);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  const UINT hide_prefix = (item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
  DrawTextA(dc, text, length, &text_rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | hide_prefix);
  SelectObject(dc, old_font);
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = r;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

LRESULT CALLBACK flat_button::subclass_procedure(HWND window, UINT message, WPARAM wparam,
                                                 LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<flat_button*>(data);
  switch (message) {
    case reflected_draw_item:
      self->draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_MOUSEMOVE:
      if (!self->hot_) {
        self->hot_ = true;
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        InvalidateRect(window, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      self->hot_ = false;
      InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_ENABLE:
      self->hot_ = false;
      InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_SETTEXT: {
      const LRESULT result = DefSubclassProc(window, message, wparam, lparam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    default:
      break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace lumadir
