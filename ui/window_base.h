// The base of the program's windows: a Win32 window bound to its C++ object,
// the program folder, the table of help topics, and the two openers that hand
// a help page or a web address to the system's browser.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/variant.h"

namespace lumadir {

extern const char program_title[];  // "Lumadir 2.0"

// Reflected to a child from its parent's WM_DRAWITEM, so that owner-drawn
// controls paint themselves.
constexpr UINT reflected_draw_item = WM_APP + 0x100;

class vexa_generic_ui_class {
 public:
  vexa_generic_ui_class() noexcept;
  virtual ~vexa_generic_ui_class();
  vexa_generic_ui_class(const vexa_generic_ui_class&) = delete;
  vexa_generic_ui_class& operator=(const vexa_generic_ui_class&) = delete;

  HWND handle() const { return handle_; }

  const variant& program_folder() const { return program_folder_; }
  void set_program_folder(const variant& folder) noexcept;

  // Copies the table; index = help context number.
  void install_help_topics(const char* const* topics, int32_t count) noexcept;
  int32_t topic_count() const { return topic_count_; }
  const char* help_topic(int32_t context) const noexcept;

  // Opens program folder + relative path with the shell's "open"; on failure
  // says so in a box owned by this window. True when the shell took it.
  bool open_help_topic(const char* relative_path) noexcept;
  bool open_web_address(const char* address) noexcept;

  // The application's help handler: turns a help context into a topic. Never
  // asks for the system's help engine. False when there are no topics.
  bool help_hook(uint32_t command, int32_t context, bool& call_standard_help) noexcept;

 protected:
  // Registers the class once and creates the window with this object bound to it.
  bool create_window(const char* class_name, DWORD style, DWORD ex_style, HWND owner,
                     HMENU menu) noexcept;
  virtual LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT default_handling(UINT message, WPARAM wparam, LPARAM lparam);

  HWND handle_ = nullptr;

 private:
  static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  variant program_folder_{""};
  char** topics_ = nullptr;
  int32_t topic_count_ = 0;
};

// Registers a window class of this program once (later calls find it
// registered): arrow cursor, the given background brush, the program's icon.
bool register_window_class(const char* name, WNDPROC procedure, HBRUSH background) noexcept;

// Places the window in the middle of the primary screen's full area (not the
// work area); at 0 on an axis where it does not fit.
void centre_on_screen(HWND window) noexcept;

// A control's text, whole, as UTF-8 (read wide, so no byte count can fall short).
variant window_text(HWND control) noexcept;

// The program's window icon in the sizes the system asks for; made once.
HICON program_icon(bool small) noexcept;

}  // namespace lumadir
