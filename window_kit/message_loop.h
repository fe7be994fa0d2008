// The message loops: the main loop, modal showing of our own windows, and a
// wait that keeps answering other threads' sent messages. All of them route F1
// to the application's help handler, each window's shortcuts to it, and Tab
// and arrow keys between controls.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "base/owned.h"

namespace lumadir {

class vexa_generic_ui_class;

// The window whose help_hook answers every F1; none turns F1 off.
void set_application_help(vexa_generic_ui_class* handler) noexcept;
// The help context of a window: its own, else its nearest parent's.
int32_t help_context_of(HWND window) noexcept;
// Asks the application's help handler for the context; false when none took it.
bool application_help(int32_t context) noexcept;

// Shortcuts that work while the window (or a child of it) has the focus.
void set_window_shortcuts(HWND window, HACCEL shortcuts) noexcept;

namespace owned_traits {
struct accelerators {
  using handle = HACCEL;
  static handle invalid() noexcept { return nullptr; }
  static void close(handle h) noexcept { DestroyAcceleratorTable(h); }
};
}  // namespace owned_traits
using owned_accelerators = owned<owned_traits::accelerators>;

// Sent to a window when the user asks for its next (wparam 1) or previous
// (wparam 0) tab page with Ctrl+Tab or Ctrl+Shift+Tab.
constexpr UINT next_tab_message = WM_APP + 0x101;

// True when the message was handled here and must not be dispatched.
bool pretranslate_message(MSG& message) noexcept;

// Runs until WM_QUIT; its exit code.
int run_message_loop() noexcept;

// Shows the window and runs a loop until it is hidden or destroyed, with the
// owner disabled meanwhile.
void run_modal(HWND window, HWND owner) noexcept;

// Until the flag reads 0: answers messages that other threads send to this
// thread's windows (a worker's progress texts), nothing else.
void wait_answering_sent_messages(const std::atomic<int32_t>& flag) noexcept;

}  // namespace lumadir
