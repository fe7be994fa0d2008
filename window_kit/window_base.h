// The base of every window of ours: a Win32 window bound to its C++ object,
// scaled to its monitor's DPI with the system's message font, and the small
// helpers the windows share (controls, check boxes, texts, phrases).
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/owned_win.h"
#include "base/variant.h"
#include "window_kit/dpi.h"

namespace lumadir {

class phrase_table;

// Reflected to a child from its parent's WM_DRAWITEM, so that owner-drawn
// controls paint themselves.
constexpr UINT reflected_draw_item = WM_APP + 0x100;

// How a window of our own finds its object: the object is the create
// parameter of CreateWindowEx, kept in the window's user data from
// WM_NCCREATE on. Every window procedure of ours starts with this; null until
// WM_NCCREATE has come.
void* bind_at_create(HWND window, UINT message, LPARAM lparam) noexcept;
template <typename Object>
Object* bound_object(HWND window, UINT message, LPARAM lparam) noexcept {
  return static_cast<Object*>(bind_at_create(window, message, lparam));
}

class vexa_generic_ui_class {
 public:
  vexa_generic_ui_class() noexcept;
  virtual ~vexa_generic_ui_class();
  vexa_generic_ui_class(const vexa_generic_ui_class&) = delete;
  vexa_generic_ui_class& operator=(const vexa_generic_ui_class&) = delete;

  HWND handle() const { return handle_; }
  // A child of the window by its identifier.
  HWND control(int32_t id) const { return GetDlgItem(handle_, id); }

  void set_phrases(const phrase_table* phrases) { phrases_ = phrases; }

  // The application's help handler (see message_loop.h): turns a help context
  // into a topic, never asking for the system's help engine. This window has
  // no topics and declines; a window with topics overrides it.
  virtual bool help_hook(uint32_t command, int32_t context, bool& call_standard_help) noexcept;

 protected:
  // Registers the class once and creates the window with this object bound to
  // it, captioned with the product's title.
  [[nodiscard]] bool create_window(const char* class_name, DWORD style, DWORD ex_style, HWND owner,
                                   HMENU menu) noexcept;
  // Messages of the window; what a window does not handle goes to
  // default_handling, which paints through `paint`. WM_DPICHANGED is handled
  // before this is asked.
  virtual LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT default_handling(UINT message, WPARAM wparam, LPARAM lparam);
  // Draws what the window itself shows (the controls draw themselves).
  virtual void paint(HDC) noexcept {}

  // Takes the scale of the window's monitor and gives the window and every
  // child the system's message font at it.
  void apply_message_font() noexcept;
  HFONT message_font() const { return font_.get(); }
  // After a DPI change, once `scale_` and the message font are new: remakes
  // whatever else depends on the DPI (another font, pictures).
  virtual void rescale() noexcept {}
  // Places the children at `scale_`; a window of fixed size sizes itself here.
  // Called after a DPI change, once the window has its new place.
  virtual void lay_out() noexcept {}

  // The phrase in the window's language; "" without phrases.
  const char* phrase(int32_t id) const noexcept;
  // A child's whole text, and whether a check box or radio button is checked.
  variant text_of(int32_t id) const noexcept;
  bool checked(int32_t id) const noexcept;
  void set_checked(int32_t id, bool on) noexcept;

  HWND handle_ = nullptr;
  const phrase_table* phrases_ = nullptr;
  dpi_scale scale_;

 private:
  static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void dpi_changed(int32_t dpi, const RECT& suggested) noexcept;

  owned_font font_;
};

// Registers a window class of ours once (later calls find it registered):
// arrow cursor, the given background brush, the program's icon.
bool register_window_class(const char* name, WNDPROC procedure, HBRUSH background) noexcept;

// Places the window in the middle of the primary screen's full area (not the
// work area); at 0 on an axis where it does not fit.
void centre_on_screen(HWND window) noexcept;

// A control's text, whole, as UTF-8 (read wide, so no byte count can fall short).
[[nodiscard]] variant window_text(HWND control) noexcept;
// Whether a check box or radio button is checked; checks or clears it.
[[nodiscard]] bool is_checked(HWND control) noexcept;
void set_checked(HWND control, bool on) noexcept;

// The program's window icon in the sizes the system asks for; made once.
HICON program_icon(bool small) noexcept;

}  // namespace lumadir
