#include "window_kit/message_loop.h"

#include "window_kit/window_base.h"

namespace lumadir {

namespace {

vexa_generic_ui_class* help_handler = nullptr;

struct window_shortcuts {
  HWND window = nullptr;
  HACCEL shortcuts = nullptr;
};
window_shortcuts shortcut_table[4];

}  // namespace

void set_application_help(vexa_generic_ui_class* handler) noexcept {
  help_handler = handler;
}

int32_t help_context_of(HWND window) noexcept {
  for (HWND w = window; w;
       w = (GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr) {
    if (const DWORD context = GetWindowContextHelpId(w)) return static_cast<int32_t>(context);
  }
  return 0;
}

bool application_help(int32_t context) noexcept {
  if (!help_handler) return false;
  bool call_standard_help = true;
  return help_handler->help_hook(0, context, call_standard_help);
}

void set_window_shortcuts(HWND window, HACCEL shortcuts) noexcept {
  for (window_shortcuts& entry : shortcut_table) {
    if (entry.window == window || !entry.window || !IsWindow(entry.window)) {
      entry.window = shortcuts ? window : nullptr;
      entry.shortcuts = shortcuts;
      return;
    }
  }
}

bool pretranslate_message(MSG& message) noexcept {
  if (!message.hwnd) return false;
  if (message.message == WM_KEYDOWN && message.wParam == VK_F1 &&
      (GetKeyState(VK_CONTROL) & 0x8000) == 0 && (GetKeyState(VK_MENU) & 0x8000) == 0) {
    if (help_handler) {
      application_help(help_context_of(message.hwnd));
      return true;
    }
  }
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  if (message.message == WM_KEYDOWN && message.wParam == VK_TAB &&
      (GetKeyState(VK_CONTROL) & 0x8000) &&
      SendMessageA(root, next_tab_message, (GetKeyState(VK_SHIFT) & 0x8000) ? 0 : 1, 0))
    return true;
  for (const window_shortcuts& entry : shortcut_table) {
    if (entry.window && entry.window == root &&
        TranslateAcceleratorA(root, entry.shortcuts, &message))
      return true;
  }
  // Tab, Shift+Tab and the arrow keys move between a window's controls.
  if (root && (GetWindowLongPtrA(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) &&
      IsDialogMessageA(root, &message))
    return true;
  return false;
}

int run_message_loop() noexcept {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (pretranslate_message(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

void run_modal(HWND window, HWND owner) noexcept {
  const bool owner_was_enabled = owner && IsWindowEnabled(owner);
  if (owner_was_enabled) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  MSG message;
  while (IsWindow(window) && IsWindowVisible(window)) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // Leave the quit for the main loop.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (pretranslate_message(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // The owner comes back before the modal window goes, so the system gives
  // the activation to it and not to some other program.
  if (owner_was_enabled) EnableWindow(owner, TRUE);
  if (IsWindow(window)) ShowWindow(window, SW_HIDE);
  if (owner) SetActiveWindow(owner);
}

void wait_answering_sent_messages(const std::atomic<int32_t>& flag) noexcept {
  while (flag.load() != 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
    MSG message;
    // Peeking delivers the messages sent from other threads; nothing is removed.
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace lumadir
