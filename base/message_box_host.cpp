// The host build has no windows: a box becomes a line on standard error.
#include <cstdio>

#include "base/message_box_system.h"

namespace lumadir {

void system_message_box(void*, const char* text, const char* title, uint32_t) noexcept {
  std::fprintf(stderr, "[%s] %s\n", title, text);
}

void system_beep() noexcept {
  std::fputc('\a', stderr);
}

}  // namespace lumadir
