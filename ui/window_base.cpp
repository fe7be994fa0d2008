#include "ui/window_base.h"

#include <cstdlib>
#include <cstring>

#include "base/message_box.h"
#include "base/text_encoding.h"
#include "base/shell.h"
#include "ui/picture_bitmap.h"

namespace lumadir {

const char program_title[] = "Lumadir 2.0";

vexa_generic_ui_class::vexa_generic_ui_class() noexcept = default;

vexa_generic_ui_class::~vexa_generic_ui_class() {
  if (handle_) {
    // The object goes first: later messages to the window must not reach it.
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
  for (int32_t i = 0; i < topic_count_; ++i) std::free(topics_[i]);
  std::free(topics_);
}

void vexa_generic_ui_class::set_program_folder(const variant& folder) noexcept {
  program_folder_.assign_text_of(folder);
}

void vexa_generic_ui_class::install_help_topics(const char* const* topics, int32_t count) noexcept {
  for (int32_t i = 0; i < topic_count_; ++i) std::free(topics_[i]);
  std::free(topics_);
  topics_ = nullptr;
  topic_count_ = 0;
  if (count <= 0) return;
  topics_ = static_cast<char**>(std::calloc(static_cast<size_t>(count), sizeof(char*)));
  if (!topics_) return;
  for (int32_t i = 0; i < count; ++i) {
    topics_[i] = strdup(topics[i]);
    if (!topics_[i]) break;
    topic_count_ = i + 1;
  }
}

const char* vexa_generic_ui_class::help_topic(int32_t context) const noexcept {
  if (context < 0 || context >= topic_count_) return nullptr;
  return topics_[context];
}

bool vexa_generic_ui_class::open_help_topic(const char* relative_path) noexcept {
  variant path(program_folder_);
  path.append(relative_path);
  if (shell_open("open", path)) return true;
  variant message("Can't open help file: ");
  message.append(path);
  show_message_box(handle_, message.c_str(), program_title, box_warning);
  return false;
}

bool vexa_generic_ui_class::open_web_address(const char* address) noexcept {
  if (shell_open("open", variant(address))) return true;
  show_message_box(handle_, "Can't go to VEXA web site", program_title, box_warning);
  return false;
}

bool vexa_generic_ui_class::help_hook(uint32_t, int32_t context,
                                      bool& call_standard_help) noexcept {
  call_standard_help = false;
  if (topic_count_ == 0) return false;
  if (context < 0 || context >= topic_count_) context = 0;
  open_help_topic(topics_[context]);
  return true;
}

bool vexa_generic_ui_class::create_window(const char* class_name, DWORD style, DWORD ex_style,
                                          HWND owner, HMENU menu) noexcept {
  if (!register_window_class(class_name, window_procedure,
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
    return false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  handle_ = CreateWindowExA(ex_style, class_name, program_title, style, CW_USEDEFAULT,
                            CW_USEDEFAULT, 100, 100, owner, menu, instance, this);
  return handle_ != nullptr;
}

LRESULT vexa_generic_ui_class::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  return default_handling(message, wparam, lparam);
}

LRESULT vexa_generic_ui_class::default_handling(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    if (item->CtlType == ODT_BUTTON)
      return SendMessageA(item->hwndItem, reflected_draw_item, wparam, lparam);
  }
  return DefWindowProcA(handle_, message, wparam, lparam);
}

LRESULT CALLBACK vexa_generic_ui_class::window_procedure(HWND window, UINT message, WPARAM wparam,
                                                         LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<vexa_generic_ui_class*>(
        reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->handle_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<vexa_generic_ui_class*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wparam, lparam);
  const LRESULT result = self->handle_message(message, wparam, lparam);
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
  static HICON icons[2] = {};
  HICON& icon = icons[small ? 1 : 0];
  if (!icon) {
    const int size = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    icon = make_picture_icon(picture::program, size > 0 ? size : (small ? 16 : 32));
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

}  // namespace lumadir
