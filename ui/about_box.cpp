#include "ui/about_box.h"

#include "base/phrase_table.h"
#include "ui/message_loop.h"

namespace lumadir {

namespace {

// Client area, 96-DPI pixels.
constexpr int32_t client_width = 366;
constexpr int32_t client_height = 190;

constexpr RECT panel_rect = {10, 10, 356, 145};
constexpr struct {
  int32_t left, top, width, height;
} label_places[4] = {{12, 12, 317, 16}, {12, 36, 317, 16}, {12, 60, 317, 16}, {12, 88, 317, 44}};

const char maker_line[] = "Copyright \xA9 2026 VEXA. All rights reserved.";

}  // namespace

about_box::~about_box() {
  if (font_) DeleteObject(font_);
  if (bold_font_) DeleteObject(bold_font_);
}

bool about_box::create() noexcept {
  if (!create_window("LumadirAbout", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                     WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, nullptr, nullptr))
    return false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  for (HWND& label : labels_) {
    label = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0,
                            10, 10, handle_, nullptr, instance, nullptr);
  }
  button_ =
      CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                      0, 10, 10, handle_, reinterpret_cast<HMENU>(IDOK), instance, nullptr);
  SetWindowTextA(labels_[3], "");
  SetWindowTextA(handle_, "About");
  scale_ = scale_of(handle_);
  apply_fonts();
  lay_out();
  centre_on_screen(handle_);
  return button_ != nullptr;
}

void about_box::apply_fonts() noexcept {
  if (font_) DeleteObject(font_);
  if (bold_font_) DeleteObject(bold_font_);
  font_ = make_message_font(scale_);
  bold_font_ = make_message_font(scale_, true);
  set_font_everywhere(handle_, font_);
  SendMessageA(labels_[0], WM_SETFONT, reinterpret_cast<WPARAM>(bold_font_), TRUE);
}

void about_box::lay_out() noexcept {
  fit_client_area(handle_, scale_, client_width, client_height);
  // Labels sit on the panel, which is painted by this window.
  for (int i = 0; i < 4; ++i) {
    const auto& p = label_places[i];
    place(labels_[i], scale_, panel_rect.left + p.left, panel_rect.top + p.top, p.width, p.height);
  }
  place(button_, scale_, 137, 150, 92, 30);
}

void about_box::localize() noexcept {
  SetWindowTextA(labels_[0], program_title);
  SetWindowTextA(labels_[1], "");
  SetWindowTextA(labels_[2], maker_line);
  if (!phrases_) return;
  SetWindowTextA(handle_, phrases_->phrase_text(1));
  SetWindowTextA(labels_[3], phrases_->phrase_text(2));
  SetWindowTextA(button_, phrases_->phrase_text(3));
}

void about_box::show(HWND owner) noexcept {
  SetWindowLongPtrA(handle_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  SetFocus(button_);
  run_modal(handle_, owner);
}

LRESULT about_box::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        ShowWindow(handle_, SW_HIDE);
        return 0;
      }
      break;
    case WM_CLOSE:
      ShowWindow(handle_, SW_HIDE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(handle_, &paint);
      RECT panel = scale_.rect(panel_rect.left, panel_rect.top, panel_rect.right - panel_rect.left,
                               panel_rect.bottom - panel_rect.top);
      DrawEdge(dc, &panel, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
      EndPaint(handle_, &paint);
      return 0;
    }
    case WM_DPICHANGED: {
      scale_.dpi = HIWORD(wparam);
      apply_fonts();
      lay_out();
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(handle_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    default:
      break;
  }
  return default_handling(message, wparam, lparam);
}

}  // namespace lumadir
