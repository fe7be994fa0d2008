#include "window_kit/dpi.h"

namespace lumadir {

dpi_scale scale_of(HWND window) noexcept {
  dpi_scale scale;
  const UINT dpi = window ? GetDpiForWindow(window) : GetDpiForSystem();
  scale.dpi = dpi ? static_cast<int32_t>(dpi) : 96;
  return scale;
}

owned_font make_message_font(const dpi_scale& scale, bool bold) noexcept {
  // The DPI-aware query exists in the wide form only.
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  LOGFONTW font = {};
  if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                 static_cast<UINT>(scale.dpi))) {
    font = metrics.lfMessageFont;
  } else {
    font.lfHeight = -scale(12);
    font.lfWeight = FW_NORMAL;
    lstrcpyW(font.lfFaceName, L"MS Shell Dlg 2");
  }
  if (bold) font.lfWeight = FW_BOLD;
  return owned_font(CreateFontIndirectW(&font));
}

void place(HWND child, const dpi_scale& scale, int32_t left, int32_t top, int32_t width,
           int32_t height) noexcept {
  const RECT r = scale.rect(left, top, width, height);
  SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void fit_client_area(HWND window, const dpi_scale& scale, int32_t width, int32_t height) noexcept {
  const int32_t want_width = scale(width), want_height = scale(height);
  RECT r = {0, 0, want_width, want_height};
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
  AdjustWindowRectExForDpi(&r, style, GetMenu(window) != nullptr, ex_style,
                           static_cast<UINT>(scale.dpi));
  const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, flags);
  // A menu bar that wraps, or a frame the system draws at another DPI than
  // asked, shows only now: correct by what is actually there.
  RECT client, outer;
  GetClientRect(window, &client);
  GetWindowRect(window, &outer);
  if (client.right != want_width || client.bottom != want_height) {
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + want_width - client.right,
                 outer.bottom - outer.top + want_height - client.bottom, flags);
  }
}

static BOOL CALLBACK set_child_font(HWND child, LPARAM font) {
  SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

void set_font_everywhere(HWND window, HFONT font) noexcept {
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  EnumChildWindows(window, set_child_font, reinterpret_cast<LPARAM>(font));
}

}  // namespace lumadir
