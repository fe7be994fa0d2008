#include "ui/preview_window.h"

#include <new>

#include "base/file_system.h"
#include "base/message_box.h"
#include "base/product.h"
#include "base/shell.h"
#include "base/text_encoding.h"
#include "engine/listing_settings.h"
#include "engine/phrase_ids.h"
#include "window_kit/message_loop.h"

namespace lumadir {

namespace {

// Layout in 96-DPI pixels.
constexpr int32_t initial_width = 544;
constexpr int32_t initial_height = 375;
constexpr int32_t toolbar_height = 41;

// The browser's panel: a plain child window that only tells its parent when
// it changes size.
LRESULT CALLBACK panel_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(window, &r);
    FillRect(reinterpret_cast<HDC>(wparam), &r, GetSysColorBrush(COLOR_WINDOW));
    return 1;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// The system's own words for an error, without the line end it comes with.
variant system_error_text(DWORD error) {
  if (error == ERROR_SUCCESS) return variant("");
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || !text) return variant("");
  DWORD end = length;
  while (end > 0 && (text[end - 1] == L'\r' || text[end - 1] == L'\n' || text[end - 1] == L' '))
    --end;
  variant out = wtf8_from_utf16(reinterpret_cast<const char16_t*>(text), static_cast<int32_t>(end));
  LocalFree(text);
  return out;
}

HWND make_panel(HWND parent) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  register_window_class("LumadirBrowserPanel", panel_procedure, nullptr);
  return CreateWindowExA(
      0, "LumadirBrowserPanel", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10, 10, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_preview_Panel2)), instance, nullptr);
}

}  // namespace

TForm2::~TForm2() {
  // The control goes before its window.
  browser_.reset();
}

bool TForm2::create(TLumadir* main_window) noexcept {
  main_ = main_window;
  if (!create_window("LumadirPreview", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                     nullptr, nullptr))
    return false;
  SetWindowContextHelpId(handle_, preview_window_help_context);
  SpeedButton3.create(handle_, id_preview_SpeedButton3, picture::save, picture_place::left_of_text);
  SpeedButton1.create(handle_, id_preview_SpeedButton1, picture::print,
                      picture_place::left_of_text);
  SpeedButton2.create(handle_, id_preview_SpeedButton2, picture::close,
                      picture_place::left_of_text);
  Panel2 = make_panel(handle_);
  scale_ = scale_of(handle_);
  SetWindowPos(handle_, nullptr, 0, 0, scale_(initial_width), scale_(initial_height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  apply_message_font();
  lay_out();

  browser_.reset(new (std::nothrow) browser_host);
  if (browser_ && !browser_->create(Panel2)) browser_.reset();
  FormResize();
  return true;
}

void TForm2::rescale() noexcept {
  for (flat_button* b : {&SpeedButton3, &SpeedButton1, &SpeedButton2}) b->refresh_pictures();
}

void TForm2::lay_out() noexcept {
  place(SpeedButton3.handle(), scale_, 2, 2, 105, 36);
  place(SpeedButton1.handle(), scale_, 108, 2, 105, 36);
  place(SpeedButton2.handle(), scale_, 214, 2, 105, 36);
  RECT client;
  GetClientRect(handle_, &client);
  const int32_t top = scale_(toolbar_height);
  SetWindowPos(Panel2, nullptr, 0, top, client.right, client.bottom > top ? client.bottom - top : 0,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm2::localize() noexcept {
  if (!phrases_) return;
  SetWindowTextA(SpeedButton3.handle(), phrase(phrase_id::button_save_as));
  SetWindowTextA(SpeedButton1.handle(), phrase(phrase_id::button_print));
  SetWindowTextA(SpeedButton2.handle(), phrase(phrase_id::button_close));
}

void TForm2::restore_geometry() noexcept {
  if (!settings_) return;
  listing_settings& s = *settings_;
  // Where the stored placement lies, if on any screen at all: a monitor since
  // unplugged, a hand-edited value or a place saved while minimised lies on
  // none, and a modal window there would leave the program looking frozen.
  const bool sized = s.preview_width > 0 && s.preview_height > 0;
  const int64_t right = static_cast<int64_t>(s.preview_left) + s.preview_width;
  const int64_t bottom = static_cast<int64_t>(s.preview_top) + s.preview_height;
  HMONITOR shown_on = nullptr;
  if (sized && right <= INT32_MAX && bottom <= INT32_MAX) {
    const RECT stored = {s.preview_left, s.preview_top, static_cast<LONG>(right),
                         static_cast<LONG>(bottom)};
    shown_on = MonitorFromRect(&stored, MONITOR_DEFAULTTONULL);
  }
  // Otherwise it opens where the user is looking: the main window's screen.
  HMONITOR screen = shown_on;
  if (!screen)
    screen = MonitorFromWindow(main_ ? main_->handle() : handle_, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  RECT work;
  if (screen && GetMonitorInfoA(screen, &info))
    work = info.rcWork;
  else
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int32_t work_width = work.right - work.left, work_height = work.bottom - work.top;

  if (!sized || s.preview_width > work_width || s.preview_height > work_height) {
    s.preview_width = work_width;
    s.preview_height = work_height;
    s.preview_left = work.left;
    s.preview_top = work.top;
  } else if (!shown_on) {
    s.preview_left = work.left + (work_width - s.preview_width) / 2;
    s.preview_top = work.top + (work_height - s.preview_height) / 2;
  }
  SetWindowPos(handle_, nullptr, s.preview_left, s.preview_top, s.preview_width, s.preview_height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm2::placement(int32_t& width, int32_t& height, int32_t& left, int32_t& top) noexcept {
  WINDOWPLACEMENT where = {};
  where.length = sizeof where;
  RECT r;
  // A minimised or maximised window keeps its normal placement for next time,
  // hidden or not: the preview is hidden when it closes, minimised or not.
  if ((IsIconic(handle_) || IsZoomed(handle_)) && GetWindowPlacement(handle_, &where))
    r = where.rcNormalPosition;
  else
    GetWindowRect(handle_, &r);
  width = r.right - r.left;
  height = r.bottom - r.top;
  left = r.left;
  top = r.top;
}

void TForm2::show_listing() noexcept {
  if (!settings_) return;
  if (settings_->enable_internal_viewer && browser_) {
    browser_->set_visible(true);
    browser_->navigate(settings_->result_file.c_str());
    run_modal(handle_, main_ ? main_->handle() : nullptr);
    return;
  }
  shell_open("open", settings_->result_file);
}

void TForm2::SpeedButton3Click() noexcept {
  if (!main_ || !settings_) return;
  main_->set_save_dialog_initial_folder();
  variant chosen("");
  if (!main_->execute_save_dialog(handle_, chosen)) return;
  if (!copy_file(settings_->result_file, chosen, true)) {
    // Nothing was saved, so nothing changes: the listing stays open, to be
    // saved elsewhere or printed, and the main window has no save to report.
    const DWORD error = GetLastError();
    variant text(phrase(phrase_id::listing_file_not_created));
    const variant reason = system_error_text(error);
    if (reason.length() > 0) {
      text.append("\n\n");
      text.append(reason);
    }
    show_message_box(handle_, text.c_str(), product_title, box_warning);
    return;
  }
  settings_->action = 2;
  settings_->save_as_path = chosen;
  delete_file(settings_->result_file);
  settings_->result_file = "";
  SendMessageA(handle_, WM_CLOSE, 0, 0);
}

void TForm2::SpeedButton1Click() noexcept {
  if (browser_) browser_->print();
}

void TForm2::FormClose() noexcept {
  if (browser_) browser_->set_visible(false);
  if (settings_ && settings_->result_file.length() > 0) {
    delete_file(settings_->result_file);
    settings_->result_file = "";
  }
  ShowWindow(handle_, SW_HIDE);
}

void TForm2::FormResize() noexcept {
  lay_out();
  if (!browser_) return;
  RECT r;
  GetClientRect(Panel2, &r);
  browser_->resize(r.right, r.bottom);
}

void TForm2::paint(HDC dc) noexcept {
  RECT client;
  GetClientRect(handle_, &client);
  RECT toolbar = {0, 0, client.right, scale_(toolbar_height)};
  DrawEdge(dc, &toolbar, BDR_RAISEDINNER, BF_RECT);
}

LRESULT TForm2::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (lparam && HIWORD(wparam) != BN_CLICKED) break;
      switch (LOWORD(wparam)) {
        case id_preview_SpeedButton3:
          SpeedButton3Click();
          return 0;
        case id_preview_SpeedButton1:
          SpeedButton1Click();
          return 0;
        case id_preview_SpeedButton2:
        case IDCANCEL:  // Escape
          SendMessageA(handle_, WM_CLOSE, 0, 0);
          return 0;
        default:
          break;
      }
      break;
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) FormResize();
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    default:
      break;
  }
  return default_handling(message, wparam, lparam);
}

}  // namespace lumadir
