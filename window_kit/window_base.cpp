#include "window_kit/window_base.h"

#include <cstdlib>

#include "base/phrase_table.h"
#include "base/product.h"
#include "base/text_encoding.h"
#include "window_kit/picture_bitmap.h"

namespace lumadir {

void* bind_at_create(HWND window, UINT message, LPARAM lparam) noexcept {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(
        window, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
  }
  return reinterpret_cast<void*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

vexa_generic_ui_class::vexa_generic_ui_class() noexcept = default;

vexa_generic_ui_class::~vexa_generic_ui_class() {
  if (handle_) {
    // The object goes first: later messages to the window must not reach it.
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
}

bool vexa_generic_ui_class::help_hook(uint32_t, int32_t, bool& call_standard_help) noexcept {
  call_standard_help = false;
  return false;
}

bool vexa_generic_ui_class::create_window(const char* class_name, DWORD style, DWORD ex_style,
                                          HWND owner, HMENU menu) noexcept {
  if (!register_window_class(class_name, window_procedure,
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
    return false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  handle_ = CreateWindowExA(ex_style, class_name, product_title, style, CW_USEDEFAULT,
                            CW_USEDEFAULT, 100, 100, owner, menu, instance, this);
  return handle_ != nullptr;
}

LRESULT vexa_generic_ui_class::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  return default_handling(message, wparam, lparam);
}

LRESULT vexa_generic_ui_class::default_handling(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT painting;
    HDC dc = BeginPaint(handle_, &painting);
    paint(dc);
    EndPaint(handle_, &painting);
    return 0;
  }
  if (message == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    if (item->CtlType == ODT_BUTTON)
      return SendMessageA(item->hwndItem, reflected_draw_item, wparam, lparam);
  }
  return DefWindowProcA(handle_, message, wparam, lparam);
}

void vexa_generic_ui_class::apply_message_font() noexcept {
  // The old font goes once no control holds it any more.
  owned_font font = make_message_font(scale_);
  set_font_everywhere(handle_, font.get());
  font_ = static_cast<owned_font&&>(font);
}

void vexa_generic_ui_class::dpi_changed(int32_t dpi, const RECT& suggested) noexcept {
  scale_.dpi = dpi;
  apply_message_font();
  rescale();
  // A window the user sizes takes the suggested size; one of fixed size keeps
  // its layout's, which lay_out gives it.
  const bool sizable = GetWindowLongPtrA(handle_, GWL_STYLE) & WS_THICKFRAME;
  SetWindowPos(handle_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top,
               SWP_NOZORDER | SWP_NOACTIVATE | (sizable ? 0 : SWP_NOSIZE));
  lay_out();
  InvalidateRect(handle_, nullptr, TRUE);
}

const char* vexa_generic_ui_class::phrase(int32_t id) const noexcept {
  return phrases_ ? phrases_->phrase_text(id) : "";
}

variant vexa_generic_ui_class::text_of(int32_t id) const noexcept {
  return window_text(control(id));
}

bool vexa_generic_ui_class::checked(int32_t id) const noexcept {
  return is_checked(control(id));
}

void vexa_generic_ui_class::set_checked(int32_t id, bool on) noexcept {
  lumadir::set_checked(control(id), on);
}

LRESULT CALLBACK vexa_generic_ui_class::window_procedure(HWND window, UINT message, WPARAM wparam,
                                                         LPARAM lparam) {
  auto* self = bound_object<vexa_generic_ui_class>(window, message, lparam);
  if (!self) return DefWindowProcA(window, message, wparam, lparam);
  if (message == WM_NCCREATE) self->handle_ = window;
  LRESULT result = 0;
  if (message == WM_DPICHANGED)
    self->dpi_changed(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
  else
    result = self->handle_message(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->handle_ = nullptr;
  }
  return result;
}

bool register_window_class(const char* name, WNDPROC procedure, HBRUSH background) noexcept {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA known = {};
  known.cbSize = sizeof known;
  if (GetClassInfoExA(instance, name, &known)) return true;
  WNDCLASSEXA window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.hbrBackground = background;
  window_class.lpszClassName = name;
  window_class.hIcon = program_icon(false);
  window_class.hIconSm = program_icon(true);
  return RegisterClassExA(&window_class) != 0;
}

void centre_on_screen(HWND window) noexcept {
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  const int left = width <= screen_width ? (screen_width - width) / 2 : 0;
  const int top = height <= screen_height ? (screen_height - height) / 2 : 0;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON program_icon(bool small) noexcept {
  // Class icons live as long as the process.
  static HICON icons[2] = {};
  HICON& icon = icons[small ? 1 : 0];
  if (!icon) {
    const int size = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    icon = make_picture_icon(picture::program, size > 0 ? size : (small ? 16 : 32)).release();
  }
  return icon;
}

variant window_text(HWND control) noexcept {
  const int length = GetWindowTextLengthW(control);
  if (length <= 0) return variant("");
  auto* units = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * (length + 1)));
  if (!units) return variant("");
  const int copied = GetWindowTextW(control, units, length + 1);
  variant text = wtf8_from_utf16(reinterpret_cast<const char16_t*>(units), copied > 0 ? copied : 0);
  std::free(units);
  return text;
}

bool is_checked(HWND control) noexcept {
  return SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void set_checked(HWND control, bool on) noexcept {
  SendMessageA(control, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace lumadir
