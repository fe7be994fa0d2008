#include "base/char_case.h"

namespace lumadir {

// Code page 1252: A-Z, the accented capitals 0xC0-0xDE except the multiplication
// sign 0xD7, and the four capitals in 0x80-0x9F.
static unsigned char lower_1252(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  switch (c) {
    case 0x8A:
      return 0x9A;  // S caron
    case 0x8C:
      return 0x9C;  // OE
    case 0x8E:
      return 0x9E;  // Z caron
    case 0x9F:
      return 0xFF;  // Y diaeresis
    default:
      return c;
  }
}

void lower_case_ansi(char* bytes, int32_t length) noexcept {
  for (int32_t i = 0; i < length; ++i)
    bytes[i] = static_cast<char>(lower_1252(static_cast<unsigned char>(bytes[i])));
}

}  // namespace lumadir
