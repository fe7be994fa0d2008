#include "base/message_box.h"

#include <atomic>

#include "base/message_box_system.h"

namespace lumadir {

static std::atomic<message_box_hook> installed_hook{nullptr};

void set_message_box_hook(message_box_hook hook) noexcept {
  installed_hook = hook;
}

void show_message_box(void* owner, const char* text, const char* title, uint32_t kind) noexcept {
  if (message_box_hook hook = installed_hook.load()) {
    hook(owner, text ? text : "", title ? title : "", kind);
    return;
  }
  system_message_box(owner, text ? text : "", title ? title : "", kind);
}

static std::atomic<beep_hook> installed_beep_hook{nullptr};

void set_beep_hook(beep_hook hook) noexcept {
  installed_beep_hook = hook;
}

void sound_default_beep() noexcept {
  if (beep_hook hook = installed_beep_hook.load()) {
    hook();
    return;
  }
  system_beep();
}

}  // namespace lumadir
