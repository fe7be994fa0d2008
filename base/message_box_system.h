// The platform's own message box, behind the seam of message_box.h.
#pragma once

#include <cstdint>

namespace lumadir {

void system_message_box(void* owner, const char* text, const char* title, uint32_t kind) noexcept;
void system_beep() noexcept;

}  // namespace lumadir
