#include "base/text_encoding.h"
#include "base/text_encoding_system.h"

namespace lumadir {

// The host build stands in for a Western European system: code page 1252,
// Latin-1 except for 0x80-0x9F.
static uint32_t code_point_1252(unsigned char byte) {
  static const uint16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : byte;
}

bool system_speaks_utf8() noexcept {
  return true;  // POSIX names and texts here are UTF-8
}

bool legacy_code_page_to_utf8(const char* bytes, int32_t length, variant& out) noexcept {
  byte_text text;
  text.set_length(length * 3);
  if (length > 0 && text.length() < length * 3) return false;
  int32_t n = 0;
  for (int32_t i = 0; i < length; ++i)
    n += encode_utf8(code_point_1252(static_cast<unsigned char>(bytes[i])), text.data() + n);
  text.set_length(n);
  out.assign(static_cast<byte_text&&>(text));
  return true;
}

}  // namespace lumadir
