#include "ui/about_box.h"

#include "base/product.h"
#include "engine/phrase_ids.h"
#include "window_kit/message_loop.h"

namespace lumadir {

namespace {

// Client area, 96-DPI pixels.
constexpr int32_t client_width = 366;
constexpr int32_t client_height = 190;

constexpr RECT panel_rect = {10, 10, 356, 145};
constexpr struct {
  int32_t left, top, width, height;
} label_places[4] = {{12, 12, 317, 16}, {12, 36, 317, 16}, {12, 60, 317, 16}, {12, 88, 317, 44}};

const char maker_line[] = "Copyright \xC2\xA9 2026 VEXA. All rights reserved.";  // © in UTF-8

}  // namespace

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
  apply_message_font();
  rescale();
  lay_out();
  centre_on_screen(handle_);
  return button_ != nullptr;
}

void about_box::rescale() noexcept {
  owned_font bold = make_message_font(scale_, true);
  SendMessageA(labels_[0], WM_SETFONT, reinterpret_cast<WPARAM>(bold.get()), TRUE);
  bold_font_ = static_cast<owned_font&&>(bold);
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
  SetWindowTextA(labels_[0], product_title);
  SetWindowTextA(labels_[1], "");
  SetWindowTextA(labels_[2], maker_line);
  if (!phrases_) return;
  SetWindowTextA(handle_, phrase(phrase_id::about_caption));
  SetWindowTextA(labels_[3], phrase(phrase_id::about_description));
  SetWindowTextA(button_, phrase(phrase_id::about_ok));
}

void about_box::show(HWND owner) noexcept {
  SetWindowLongPtrA(handle_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  SetFocus(button_);
  run_modal(handle_, owner);
}

void about_box::paint(HDC dc) noexcept {
  RECT panel = scale_.rect(panel_rect.left, panel_rect.top, panel_rect.right - panel_rect.left,
                           panel_rect.bottom - panel_rect.top);
  DrawEdge(dc, &panel, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
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
    default:
      break;
  }
  return default_handling(message, wparam, lparam);
}

}  // namespace lumadir
