// Every message box of the program goes through here, so that tests can see the
// boxes a window or start-up would show instead of blocking on them.
#pragma once

#include <cstdint>

namespace lumadir {

// The box kinds the program uses (MB_ICONERROR, MB_ICONQUESTION, MB_ICONWARNING,
// MB_ICONINFORMATION).
constexpr uint32_t box_error = 0x10;
constexpr uint32_t box_question = 0x20;
constexpr uint32_t box_warning = 0x30;
constexpr uint32_t box_information = 0x40;

// Shows a box with an OK button; `owner` is a window handle or none.
void show_message_box(void* owner, const char* text, const char* title, uint32_t kind) noexcept;

// A test installs a hook to receive the boxes instead of the user; none restores
// the real boxes.
using message_box_hook = void (*)(void* owner, const char* text, const char* title, uint32_t kind);
void set_message_box_hook(message_box_hook hook) noexcept;

// The system's default beep (a finished save), behind a hook of its own so that
// tests can count beeps without hearing them.
void sound_default_beep() noexcept;
using beep_hook = void (*)();
void set_beep_hook(beep_hook hook) noexcept;

}  // namespace lumadir
