// Texts and values: the growable byte buffer under every text, and the tagged value
// that the whole program uses for texts, numbers and paths.
//
// Texts are UTF-8 (names from the file system WTF-8: see text_encoding.h). Nothing here throws: a
// failed allocation leaves the text empty and the program carries on.
#pragma once

#include <cstdint>

namespace lumadir {

// A heap block of bytes with a length and a capacity. The length excludes any
// terminator; c_str() adds one just past the end on demand.
class byte_text {
 public:
  byte_text() noexcept = default;
  byte_text(const byte_text& other) noexcept;
  byte_text(byte_text&& other) noexcept;
  byte_text& operator=(const byte_text& other) noexcept;
  byte_text& operator=(byte_text&& other) noexcept;
  ~byte_text();

  // The largest block a text may have. A text that would need more is treated as
  // a failed allocation (emptied), so no size computation nears 2^31.
  static constexpr int32_t max_capacity = 0x78000000;
  // Capacity chosen for a needed length n: n + n / 16 + 4, but never past
  // max_capacity; negative (no block will do) for n beyond max_capacity.
  static constexpr int32_t grown_capacity(int32_t n) {
    if (n < 0 || n > max_capacity) return -1;
    const int32_t extra = n / 16 + 4;
    return n > max_capacity - extra ? max_capacity : n + extra;
  }

  int32_t length() const { return length_; }
  int32_t capacity() const { return capacity_; }
  char* data() { return data_; }
  const char* data() const { return data_; }

  // Frees the old block; for n > 0 allocates a fresh one of length n with
  // unspecified contents.
  void reset(int32_t n) noexcept;
  // Ignores n < 0 and n == length; grows to the growth rule when n > capacity
  // (n > max_capacity empties the text). Shrinking keeps the capacity.
  void set_length(int32_t n) noexcept;
  void push_back(char byte) noexcept;
  void append(const char* bytes, int32_t count) noexcept;
  void assign(const char* bytes, int32_t count) noexcept;
  // Zero-terminated view; the length is unchanged. Never null: an allocation
  // failure gives a static empty text.
  const char* c_str() noexcept;
  // Takes ownership of a malloc'ed block.
  void adopt(char* block, int32_t length, int32_t capacity) noexcept;
  void release() noexcept;  // frees the block: no data, length 0, capacity 0

 private:
  bool grow_to(int32_t capacity) noexcept;

  int32_t capacity_ = 0;
  int32_t length_ = 0;
  char* data_ = nullptr;
};

enum class variant_kind : int16_t {
  text = 2,
  boolean = 5,
  integer = 11,
  real = 23,
  pointer = 101,
};

// A text, boolean, 32-bit integer, real or non-owned pointer, always readable as
// text. For kinds other than text, the text field caches the text form and is
// refilled whenever a text is needed, so it is mutable.
class variant {
 public:
  variant() noexcept = default;  // integer 0
  variant(const char* text) noexcept;
  variant(const char* bytes, int32_t count) noexcept;
  explicit variant(char byte) noexcept;
  variant(int32_t value) noexcept;
  variant(const variant& other) noexcept = default;
  variant(variant&& other) noexcept;
  // A 64-bit integer is a text holding its decimal form, with the same value as a
  // real in the number field.
  static variant of_int64(int64_t value) noexcept;

  variant& operator=(const variant& other) noexcept = default;
  variant& operator=(variant&& other) noexcept;
  variant& operator=(const char* text) noexcept;
  variant& operator=(char byte) noexcept;
  variant& operator=(int32_t value) noexcept;
  variant& operator=(double value) noexcept;
  variant& operator=(bool value) noexcept;
  void set_pointer(void* pointer) noexcept;
  void assign(const char* bytes, int32_t count) noexcept;
  void assign(byte_text&& bytes) noexcept;  // takes the buffer over
  // Becomes a text holding a copy of the other's text form.
  void assign_text_of(const variant& other) noexcept;

  variant_kind kind() const { return kind_; }
  // Converts to kind 2, 5, 11 or 23 by the conversion table; the current kind or
  // any other code does nothing.
  void convert_to(int code) noexcept;

  const char* c_str() const noexcept;      // text form, zero-terminated
  int32_t length() const noexcept;         // length of the text form
  const byte_text& text() const noexcept;  // text form
  // Converts to text and gives the bytes, unterminated, for writing with length().
  char* text_data() noexcept;
  int32_t as_int() const noexcept;
  bool as_bool() const noexcept;
  double as_real() const noexcept;
  void* as_pointer() const noexcept;
  char first_byte() const noexcept;

  void append(const variant& other) noexcept;
  void append(const char* text) noexcept;
  void append(const char* bytes, int32_t count) noexcept;
  void append(char byte) noexcept;
  void set_length(int32_t n) noexcept;
  void drop_front(int32_t n) noexcept;
  // Becomes a text of the first min(n, length) bytes of the other's text form.
  void set_left(const variant& other, int32_t n) noexcept;

  // First occurrence at or after `from`, or -1.
  int32_t find(const variant& needle, int32_t from = 0) const noexcept;
  int32_t find_last(const variant& needle) const noexcept;
  void replace_all(const variant& what, const variant& with) noexcept;
  void trim() noexcept;
  void to_lower() noexcept;
  void quote() noexcept;
  void escape_html() noexcept;

  // Byte-wise, bytes unsigned; only the sign is meaningful.
  static int compare(const variant& a, const variant& b) noexcept;
  // Whole characters by Unicode simple case folding (ASCII letters as capitals,
  // so "_" sorts after them), on the zero-terminated views.
  static int compare_ignoring_case(const variant& a, const variant& b) noexcept;

  friend bool operator==(const variant& a, const variant& b) noexcept { return compare(a, b) == 0; }

 private:
  void fill_text() const noexcept;
  void become_text() noexcept;

  variant_kind kind_ = variant_kind::integer;
  union number_field {
    bool boolean;
    int32_t integer;
    double real;
    void* pointer;
  } number_{.real = 0.0};
  mutable byte_text text_;
};

// Integer parse of a text: leading white space, optional sign, decimal digits up
// to the first other byte; no digits gives 0; overflow wraps.
int32_t parse_int(const char* text, int32_t length) noexcept;
// The real-number text rule: 0 outside 1e-10..1e18, else %.3f above 100000 and
// %.8f otherwise, less trailing zeros and a trailing point.
void format_real(double value, byte_text& out) noexcept;

// Sizes are unsigned 64-bit; negative, zero or positive.
inline int compare_size(uint64_t a, uint64_t b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace lumadir
