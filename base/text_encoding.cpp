#include "base/text_encoding.h"

#include <cstdlib>
#include <cstring>

#include "base/text_encoding_system.h"

namespace lumadir {

namespace {

#include "unicode_case_fold.inc"

constexpr int32_t fold_pair_count =
    static_cast<int32_t>(sizeof lumadir_case_fold_pairs / sizeof lumadir_case_fold_pairs[0]);

bool is_continuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

int32_t decode(const char* p, int32_t available, uint32_t& code_point, bool allow_surrogates) {
  if (available <= 0) return 0;
  const auto* s = reinterpret_cast<const unsigned char*>(p);
  const unsigned char lead = s[0];
  if (lead < 0x80) {
    code_point = lead;
    return 1;
  }
  int32_t width;
  uint32_t value;
  uint32_t least;  // smallest value of this width: anything below is overlong
  if (lead >= 0xC2 && lead <= 0xDF) {
    width = 2, value = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    width = 3, value = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    width = 4, value = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (available < width) return 0;
  for (int32_t k = 1; k < width; ++k) {
    if (!is_continuation(s[k])) return 0;
    value = (value << 6) | (s[k] & 0x3F);
  }
  if (value < least || value > 0x10FFFF) return 0;
  if (value >= 0xD800 && value <= 0xDFFF && !allow_surrogates) return 0;
  code_point = value;
  return width;
}

constexpr uint32_t stray_byte_key = 0x110000;  // past the last code point

// The sort key of one code point: its folding, ASCII letters then in upper case.
uint32_t order_key(uint32_t code_point) {
  const uint32_t folded = fold_case(code_point);
  return folded >= 'a' && folded <= 'z' ? folded - 32 : folded;
}

}  // namespace

int32_t decode_utf8(const char* p, int32_t available, uint32_t& code_point) noexcept {
  return decode(p, available, code_point, false);
}

int32_t decode_wtf8(const char* p, int32_t available, uint32_t& code_point) noexcept {
  return decode(p, available, code_point, true);
}

int32_t encode_utf8(uint32_t c, char out[4]) noexcept {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  if (c > 0x10FFFF) return encode_utf8(replacement_character, out);
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

bool is_valid_utf8(const char* p, int32_t length) noexcept {
  uint32_t code_point;
  for (int32_t i = 0; i < length;) {
    if (static_cast<unsigned char>(p[i]) < 0x80) {
      ++i;
      continue;
    }
    const int32_t width = decode_utf8(p + i, length - i, code_point);
    if (width == 0) return false;
    i += width;
  }
  return true;
}

utf16_text::~utf16_text() {
  std::free(units_);
}

bool utf16_text::reserve(int32_t count) noexcept {
  if (count < 0 || count > 0x3FFFFFFF) return false;
  if (count + 1 <= capacity_) return true;
  const int32_t capacity = count + count / 4 + 16;
  auto* grown = static_cast<char16_t*>(std::realloc(units_, sizeof(char16_t) * capacity));
  if (!grown) return false;
  units_ = grown;
  capacity_ = capacity;
  return true;
}

bool utf16_text::append(const char16_t* units, int32_t count) noexcept {
  if (count <= 0) return reserve(length_);
  if (!reserve(length_ + count)) return false;
  std::memcpy(units_ + length_, units, sizeof(char16_t) * count);
  length_ += count;
  units_[length_] = 0;
  return true;
}

bool utf16_text::prepend(const char16_t* units, int32_t count) noexcept {
  if (count <= 0) return true;
  if (!reserve(length_ + count)) return false;
  std::memmove(units_ + count, units_, sizeof(char16_t) * length_);
  std::memcpy(units_, units, sizeof(char16_t) * count);
  length_ += count;
  units_[length_] = 0;
  return true;
}

bool utf16_text::assign_units(const char16_t* units, int32_t length) noexcept {
  length_ = 0;
  if (!append(units, length)) {
    length_ = 0;
    return false;
  }
  return true;
}

bool utf16_text::assign_wtf8(const char* bytes, int32_t length) noexcept {
  length_ = 0;
  // Never more units than bytes.
  if (!reserve(length)) return false;
  for (int32_t i = 0; i < length;) {
    uint32_t c;
    int32_t width = decode_wtf8(bytes + i, length - i, c);
    if (width == 0) c = replacement_character, width = 1;
    i += width;
    if (c >= 0x10000) {
      c -= 0x10000;
      units_[length_++] = static_cast<char16_t>(0xD800 + (c >> 10));
      units_[length_++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      units_[length_++] = static_cast<char16_t>(c);
    }
  }
  units_[length_] = 0;
  return true;
}

variant wtf8_from_utf16(const char16_t* units, int32_t length) noexcept {
  byte_text out;
  out.set_length(length > 0x20000000 ? 0 : length * 3);
  if (out.length() < length * 3) return variant("");
  int32_t n = 0;
  for (int32_t i = 0; i < length; ++i) {
    uint32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    n += encode_utf8(c, out.data() + n);
  }
  out.set_length(n);
  variant text;
  text.assign(static_cast<byte_text&&>(out));
  return text;
}

uint32_t fold_case(uint32_t code_point) noexcept {
  if (code_point < 0x80)
    return code_point >= 'A' && code_point <= 'Z' ? code_point + 32 : code_point;
  int32_t low = 0;
  int32_t high = fold_pair_count - 1;
  while (low <= high) {
    const int32_t middle = (low + high) / 2;
    const uint32_t key = lumadir_case_fold_pairs[middle][0];
    if (key == code_point) return lumadir_case_fold_pairs[middle][1];
    if (key < code_point)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return code_point;
}

void fold_case_utf8(byte_text& text) noexcept {
  const int32_t length = text.length();
  const char* p = text.data();
  bool all_ascii = true;
  for (int32_t i = 0; i < length && all_ascii; ++i)
    all_ascii = static_cast<unsigned char>(p[i]) < 0x80;
  if (all_ascii) {
    char* q = text.data();
    for (int32_t i = 0; i < length; ++i)
      if (q[i] >= 'A' && q[i] <= 'Z') q[i] = static_cast<char>(q[i] + 32);
    return;
  }
  // A folding is at most one byte longer than its source (2 bytes to 3).
  byte_text result;
  result.set_length(length + length / 2 + 4);
  if (result.length() < length) return;
  int32_t n = 0;
  for (int32_t i = 0; i < length;) {
    uint32_t c;
    const int32_t width = decode_utf8(p + i, length - i, c);
    if (width == 0) {
      result.data()[n++] = p[i++];
      continue;
    }
    char bytes[4];
    const int32_t out = encode_utf8(fold_case(c), bytes);
    if (n + out > result.length()) {
      result.set_length(n + out + (length - i) * 2);
      if (result.length() < n + out) return;
    }
    std::memcpy(result.data() + n, bytes, out);
    n += out;
    i += width;
  }
  result.set_length(n);
  text = static_cast<byte_text&&>(result);
}

int compare_folded_utf8(const char* a, int32_t a_length, const char* b, int32_t b_length) noexcept {
  int32_t i = 0;
  int32_t j = 0;
  while (i < a_length && j < b_length) {
    uint32_t x, y;
    const int32_t wa = decode_utf8(a + i, a_length - i, x);
    const int32_t wb = decode_utf8(b + j, b_length - j, y);
    // A stray byte folds to nothing and sorts after every character.
    const uint32_t kx = wa ? order_key(x) : stray_byte_key + static_cast<unsigned char>(a[i]);
    const uint32_t ky = wb ? order_key(y) : stray_byte_key + static_cast<unsigned char>(b[j]);
    if (kx != ky) return kx < ky ? -1 : 1;
    i += wa ? wa : 1;
    j += wb ? wb : 1;
  }
  return (i < a_length) - (j < b_length);
}

void text_from_stored_bytes(variant& text) noexcept {
  const byte_text& bytes = text.text();
  const char* p = bytes.data();
  int32_t length = bytes.length();
  if (length >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) {
    text.drop_front(3);
    return;
  }
  if (is_valid_utf8(p, length)) return;
  variant converted;
  if (legacy_code_page_to_utf8(p, length, converted)) text = static_cast<variant&&>(converted);
}

variant legacy_byte_as_utf8(unsigned char byte) noexcept {
  const char c = static_cast<char>(byte);
  variant converted;
  if (byte < 0x80 || !legacy_code_page_to_utf8(&c, 1, converted)) return variant("\xEF\xBF\xBD");
  return converted;
}

}  // namespace lumadir
