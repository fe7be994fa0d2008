// Locale-aware lower-casing of ANSI code-page bytes. On Windows this is the
// system's own rule (accented letters of the code page fold too); the host build,
// which has no such service, uses the rule of code page 1252.
#pragma once

#include <cstdint>

namespace lumadir {

void lower_case_ansi(char* bytes, int32_t length) noexcept;

}  // namespace lumadir
