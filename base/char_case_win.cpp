#include <windows.h>

#include "base/char_case.h"

namespace lumadir {

void lower_case_ansi(char* bytes, int32_t length) noexcept {
  if (bytes && length > 0) CharLowerBuffA(bytes, static_cast<DWORD>(length));
}

}  // namespace lumadir
