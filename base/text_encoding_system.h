// The system's part of text conversion (text_encoding_win.cpp; the host build's
// stand-in is text_encoding_host.cpp).
#pragma once

#include <cstdint>

#include "base/variant.h"

namespace lumadir {

// Bytes of the system's legacy ANSI code page (the one the system locale had
// before programs could choose UTF-8) as UTF-8; false when the system cannot.
bool legacy_code_page_to_utf8(const char* bytes, int32_t length, variant& out) noexcept;

}  // namespace lumadir
