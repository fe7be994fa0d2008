#include <windows.h>

#include "base/message_box_system.h"

namespace lumadir {

void system_message_box(void* owner, const char* text, const char* title, uint32_t kind) noexcept {
  MessageBoxA(static_cast<HWND>(owner), text, title, MB_OK | kind);
}

void system_beep() noexcept {
  MessageBeep(MB_OK);
}

}  // namespace lumadir
