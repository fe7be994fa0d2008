// UTF-8, the program's one text encoding, and the conversions at its edges.
//
// Texts inside the program are UTF-8. Names read from the file system are kept
// losslessly as WTF-8: UTF-8 that may also hold a lone UTF-16 surrogate (as the
// three bytes ED A0..BF xx), because NTFS allows names that are not valid
// UTF-16, and such a folder must still be entered by its exact name. Only the
// listing shows those as U+FFFD.
#pragma once

#include <cstdint>

#include "base/variant.h"

namespace lumadir {

constexpr uint32_t replacement_character = 0xFFFD;

// True when the system gives this process UTF-8 through its A calls, as the
// manifest asks and Windows 10 version 1903 and later grant. Every program
// checks this first and otherwise ends with the text below (English: no phrase
// file can be read correctly before).
bool system_speaks_utf8() noexcept;
constexpr char utf8_windows_needed[] =
    "Lumadir needs Windows 10 version 1903 or later, which can give programs "
    "UTF-8 text. Please update Windows.";

// The code point at `p` (at most `available` bytes), and its length in bytes:
// 0 when the bytes there are no well-formed UTF-8 sequence (overlong forms,
// surrogates, values past U+10FFFF and cut sequences included).
int32_t decode_utf8(const char* p, int32_t available, uint32_t& code_point) noexcept;
// As decode_utf8, but a surrogate encoded on its own (WTF-8) is taken too.
int32_t decode_wtf8(const char* p, int32_t available, uint32_t& code_point) noexcept;
// Appends the UTF-8 (for a surrogate, WTF-8) form of a code point; 1 to 4 bytes.
int32_t encode_utf8(uint32_t code_point, char out[4]) noexcept;
bool is_valid_utf8(const char* p, int32_t length) noexcept;

// A UTF-16 text for the system's wide calls, zero-terminated, on the heap.
class utf16_text {
 public:
  utf16_text() noexcept = default;
  utf16_text(const utf16_text&) = delete;
  utf16_text& operator=(const utf16_text&) = delete;
  ~utf16_text();

  // Replaces the contents with the WTF-8 text converted; a byte that is no part
  // of a sequence becomes U+FFFD. False when memory ran out (then empty).
  bool assign_wtf8(const char* bytes, int32_t length) noexcept;
  bool assign_units(const char16_t* units, int32_t length) noexcept;
  // Inserts units at the front (the long-path prefix); false when memory ran out.
  bool prepend(const char16_t* units, int32_t count) noexcept;
  bool append(const char16_t* units, int32_t count) noexcept;

  const char16_t* data() const noexcept { return units_ ? units_ : u""; }
  int32_t length() const noexcept { return length_; }

 private:
  bool reserve(int32_t count) noexcept;
  char16_t* units_ = nullptr;
  int32_t length_ = 0;
  int32_t capacity_ = 0;
};

// The UTF-16 units as WTF-8: pairs become one code point, a lone surrogate its
// own three bytes, so the conversion back gives the same units.
variant wtf8_from_utf16(const char16_t* units, int32_t length) noexcept;

// Unicode simple case folding of one code point (E and e, Sigma and sigma, the
// Kelvin sign and k fold together); code points without a folding stay.
uint32_t fold_case(uint32_t code_point) noexcept;
// The text with every letter folded (mostly lower case); a byte that is no UTF-8
// stays as it is. The length may change (the Kelvin sign becomes "k").
void fold_case_utf8(byte_text& text) noexcept;
// Orders by code point, letters compared by their folding, with ASCII letters
// put in upper case first so that "_" keeps its place after "Z" as it always
// had; bytes that are no UTF-8 sort after all characters, by value. Sign only.
int compare_folded_utf8(const char* a, int32_t a_length, const char* b, int32_t b_length) noexcept;

// The named entities of XML and the byte each stands for: reading decodes all
// five, escaping writes the first four (an apostrophe stays as it is).
struct named_entity {
  const char* name;
  int32_t length;
  char byte;
};
inline constexpr named_entity named_entities[] = {
    {"amp", 3, '&'}, {"lt", 2, '<'}, {"gt", 2, '>'}, {"quot", 4, '"'}, {"apos", 4, '\''}};
inline constexpr int32_t escaped_entity_count = 4;

// Text for HTML: & < > " as entities; every well-formed character as it is;
// a sequence that is no UTF-8, a lone surrogate, a control character other
// than tab, line feed and carriage return, and a non-character as U+FFFD, so
// nothing that a page may not hold reaches it.
template <typename Sink>
void put_html_escaped(Sink& sink, const char* bytes, int32_t length) {
  static constexpr char replacement[] = "\xEF\xBF\xBD";
  int32_t run = 0;  // start of the bytes not yet written
  for (int32_t i = 0; i < length;) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    const named_entity* entity = nullptr;
    for (int32_t k = 0; k < escaped_entity_count; ++k)
      if (c == static_cast<unsigned char>(named_entities[k].byte)) entity = &named_entities[k];
    if (!entity && c >= 0x20 && c < 0x7F) {
      ++i;
      continue;
    }
    int32_t width = 1;
    bool keep = false;
    if (!entity) {
      uint32_t code_point = 0;
      width = decode_utf8(bytes + i, length - i, code_point);
      const bool noncharacter =
          (code_point >= 0xFDD0 && code_point <= 0xFDEF) || (code_point & 0xFFFE) == 0xFFFE;
      keep = width > 0 && !noncharacter &&
             (code_point >= 0xA0 || code_point == '\t' || code_point == '\n' || code_point == '\r');
      if (width == 0) {
        // A lone surrogate is one unit of three bytes; any other stray byte, one.
        width = decode_wtf8(bytes + i, length - i, code_point);
        if (width == 0) width = 1;
      }
    }
    if (keep) {
      i += width;
      continue;
    }
    sink.put(bytes + run, i - run);
    if (entity) {
      sink.put("&", 1);
      sink.put(entity->name, entity->length);
      sink.put(";", 1);
    } else {
      sink.put(replacement, 3);
    }
    i += width;
    run = i;
  }
  sink.put(bytes + run, length - run);
}

// Text read from a file that Lumadir 2.0 may have written in the system's ANSI
// code page: valid UTF-8 is taken as it is (a byte-order mark dropped);
// anything else is converted from the system's legacy ANSI code page.
void text_from_stored_bytes(variant& text) noexcept;
// One byte of the system's legacy ANSI code page as UTF-8 (2.0 wrote characters
// as numeric references of their code-page bytes).
variant legacy_byte_as_utf8(unsigned char byte) noexcept;

}  // namespace lumadir
