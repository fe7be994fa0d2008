#include "base/variant.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/text_encoding.h"

namespace lumadir {

// memcpy for pieces that may be empty (an empty text has no block at all).
static inline void copy_bytes(char* to, const char* from, int32_t count) {
  if (count > 0) std::memcpy(to, from, static_cast<size_t>(count));
}

// ---- byte_text ----------------------------------------------------------------

byte_text::byte_text(const byte_text& other) noexcept {
  assign(other.data_, other.length_);
}

byte_text::byte_text(byte_text&& other) noexcept
    : capacity_(other.capacity_), length_(other.length_), data_(other.data_) {
  other.capacity_ = 0;
  other.length_ = 0;
  other.data_ = nullptr;
}

byte_text& byte_text::operator=(const byte_text& other) noexcept {
  if (this != &other) assign(other.data_, other.length_);
  return *this;
}

byte_text& byte_text::operator=(byte_text&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    capacity_ = other.capacity_;
    length_ = other.length_;
    data_ = other.data_;
    other.capacity_ = 0;
    other.length_ = 0;
    other.data_ = nullptr;
  }
  return *this;
}

byte_text::~byte_text() {
  std::free(data_);
}

void byte_text::release() noexcept {
  std::free(data_);
  data_ = nullptr;
  length_ = 0;
  capacity_ = 0;
}

void byte_text::adopt(char* block, int32_t length, int32_t capacity) noexcept {
  std::free(data_);
  data_ = block;
  length_ = block ? length : 0;
  capacity_ = block ? capacity : 0;
}

bool byte_text::grow_to(int32_t capacity) noexcept {
  if (capacity < 0 || capacity > max_capacity) {
    release();
    return false;
  }
  char* block = static_cast<char*>(std::realloc(data_, static_cast<size_t>(capacity)));
  if (!block) {
    release();
    return false;
  }
  data_ = block;
  capacity_ = capacity;
  return true;
}

void byte_text::reset(int32_t n) noexcept {
  release();
  if (n <= 0) return;
  if (grow_to(grown_capacity(n))) length_ = n;
}

void byte_text::set_length(int32_t n) noexcept {
  if (n < 0 || n == length_) return;
  if (n > capacity_ && !grow_to(grown_capacity(n))) return;
  length_ = n;
}

void byte_text::push_back(char byte) noexcept {
  if (!data_) {
    if (!grow_to(4)) return;
  } else if (length_ >= capacity_) {
    // A full block of the largest size has no room for one byte more.
    if (!grow_to(length_ < max_capacity ? grown_capacity(length_) : -1)) return;
  }
  data_[length_++] = byte;
}

void byte_text::append(const char* bytes, int32_t count) noexcept {
  if (count <= 0) return;
  if (count == 1) {
    push_back(*bytes);
    return;
  }
  // The source may lie inside this buffer, which growing would move.
  const int32_t old_length = length_;
  const bool inside = data_ && bytes >= data_ && bytes < data_ + capacity_;
  const std::ptrdiff_t offset = inside ? bytes - data_ : 0;
  if (old_length > max_capacity - count) {
    release();
    return;
  }
  set_length(old_length + count);
  if (length_ != old_length + count) return;
  std::memmove(data_ + old_length, inside ? data_ + offset : bytes, static_cast<size_t>(count));
}

void byte_text::assign(const char* bytes, int32_t count) noexcept {
  if (count <= 0 || !bytes) {
    length_ = 0;
    return;
  }
  if (data_ && bytes >= data_ && bytes < data_ + capacity_) {  // a piece of itself
    std::memmove(data_, bytes, static_cast<size_t>(count));
    length_ = count;
    return;
  }
  if (count > capacity_) {
    reset(count);
    if (length_ != count) return;
  } else {
    length_ = count;
  }
  std::memcpy(data_, bytes, static_cast<size_t>(count));
}

const char* byte_text::c_str() noexcept {
  push_back('\0');
  if (!data_) return "";
  --length_;
  return data_;
}

// ---- number and text forms ----------------------------------------------------

int32_t parse_int(const char* text, int32_t length) noexcept {
  int32_t i = 0;
  auto is_space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < length && is_space(text[i])) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint32_t value = 0;  // unsigned, so that overflow wraps instead of being undefined
  while (i < length && text[i] >= '0' && text[i] <= '9')
    value = value * 10u + static_cast<uint32_t>(text[i++] - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

void format_real(double value, byte_text& out) noexcept {
  const double magnitude = std::fabs(value);
  if (magnitude < 1e-10 || magnitude > 1e18) {
    out.assign("0", 1);
    return;
  }
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, magnitude > 100000 ? "%.3f" : "%.8f", value);
  if (n <= 0 || n >= static_cast<int>(sizeof buffer)) {
    out.assign("0", 1);
    return;
  }
  if (std::memchr(buffer, '.', static_cast<size_t>(n))) {
    while (n > 0 && buffer[n - 1] == '0') --n;
    if (n > 0 && buffer[n - 1] == '.') --n;
  }
  out.assign(buffer, n);
}

static void format_integer(int32_t value, byte_text& out) {
  char buffer[16];
  int n = std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
  if (n <= 0)
    out.assign("0", 1);
  else
    out.assign(buffer, n);
}

static void format_pointer(void* pointer, byte_text& out) {
  char buffer[24];
  int n = std::snprintf(buffer, sizeof buffer, "0x%llx",
                        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
  out.assign(buffer, n > 0 ? n : 0);
}

// Truncation toward zero, kept inside the 32-bit range (a plain cast of a larger
// real is undefined behaviour).
static int32_t truncate_real(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// ---- variant ------------------------------------------------------------------

variant::variant(const char* text) noexcept : kind_(variant_kind::text) {
  if (text) text_.assign(text, static_cast<int32_t>(std::strlen(text)));
}

variant::variant(const char* bytes, int32_t count) noexcept : kind_(variant_kind::text) {
  text_.assign(bytes, count);
}

variant::variant(char byte) noexcept : kind_(variant_kind::text) {
  text_.push_back(byte);
}

variant::variant(int32_t value) noexcept {
  number_.integer = value;
}

variant::variant(variant&& other) noexcept
    : kind_(other.kind_), number_(other.number_), text_(static_cast<byte_text&&>(other.text_)) {}

variant variant::of_int64(int64_t value) noexcept {
  char buffer[24];
  int n = std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
  variant v(buffer, n);
  v.number_.real = static_cast<double>(value);
  return v;
}

variant& variant::operator=(variant&& other) noexcept {
  if (this != &other) {
    kind_ = other.kind_;
    number_ = other.number_;
    text_ = static_cast<byte_text&&>(other.text_);
  }
  return *this;
}

variant& variant::operator=(const char* text) noexcept {
  kind_ = variant_kind::text;
  if (text)
    text_.assign(text, static_cast<int32_t>(std::strlen(text)));
  else
    text_.set_length(0);
  return *this;
}

variant& variant::operator=(char byte) noexcept {
  kind_ = variant_kind::text;
  text_.assign(&byte, 1);
  return *this;
}

variant& variant::operator=(int32_t value) noexcept {
  kind_ = variant_kind::integer;
  number_.integer = value;
  return *this;
}

variant& variant::operator=(double value) noexcept {
  kind_ = variant_kind::real;
  number_.real = value;
  return *this;
}

variant& variant::operator=(bool value) noexcept {
  kind_ = variant_kind::boolean;
  number_.boolean = value;
  return *this;
}

void variant::set_pointer(void* pointer) noexcept {
  kind_ = variant_kind::pointer;
  number_.pointer = pointer;
}

void variant::assign(const char* bytes, int32_t count) noexcept {
  kind_ = variant_kind::text;
  text_.assign(bytes, count);
}

void variant::assign(byte_text&& bytes) noexcept {
  kind_ = variant_kind::text;
  text_ = static_cast<byte_text&&>(bytes);
}

void variant::assign_text_of(const variant& other) noexcept {
  if (this == &other) {
    become_text();
    return;
  }
  const byte_text& source = other.text();
  kind_ = variant_kind::text;
  text_.assign(source.data(), source.length());
}

void variant::fill_text() const noexcept {
  switch (kind_) {
    case variant_kind::text:
      break;
    case variant_kind::boolean:
      text_.assign(number_.boolean ? "1" : "0", 1);
      break;
    case variant_kind::integer:
      format_integer(number_.integer, text_);
      break;
    case variant_kind::real:
      format_real(number_.real, text_);
      break;
    case variant_kind::pointer:
      format_pointer(number_.pointer, text_);
      break;
  }
}

void variant::become_text() noexcept {
  fill_text();
  kind_ = variant_kind::text;
}

const byte_text& variant::text() const noexcept {
  fill_text();
  return text_;
}

const char* variant::c_str() const noexcept {
  fill_text();
  return text_.c_str();
}

int32_t variant::length() const noexcept {
  return text().length();
}

char* variant::text_data() noexcept {
  become_text();
  return text_.data();
}

int32_t variant::as_int() const noexcept {
  switch (kind_) {
    case variant_kind::text:
      return parse_int(text_.data(), text_.length());
    case variant_kind::boolean:
      return number_.boolean ? 1 : 0;
    case variant_kind::integer:
      return number_.integer;
    case variant_kind::real:
      return truncate_real(number_.real);
    case variant_kind::pointer:
      return static_cast<int32_t>(reinterpret_cast<uintptr_t>(number_.pointer));
  }
  return 0;
}

bool variant::as_bool() const noexcept {
  switch (kind_) {
    case variant_kind::text:
      return parse_int(text_.data(), text_.length()) != 0;
    case variant_kind::boolean:
      return number_.boolean;
    case variant_kind::integer:
      return number_.integer != 0;
    case variant_kind::real:
      return number_.real != 0.0;
    case variant_kind::pointer:
      return number_.pointer != nullptr;
  }
  return false;
}

double variant::as_real() const noexcept {
  switch (kind_) {
    case variant_kind::text:
      return std::strtod(c_str(), nullptr);
    case variant_kind::boolean:
      return number_.boolean ? 1.0 : 0.0;
    case variant_kind::integer:
      return number_.integer;
    case variant_kind::real:
      return number_.real;
    case variant_kind::pointer:
      return static_cast<double>(reinterpret_cast<uintptr_t>(number_.pointer));
  }
  return 0.0;
}

void* variant::as_pointer() const noexcept {
  return kind_ == variant_kind::pointer ? number_.pointer : nullptr;
}

void variant::convert_to(int code) noexcept {
  const auto target = static_cast<variant_kind>(code);
  if (target == kind_) return;
  switch (target) {
    case variant_kind::text:
      become_text();
      break;
    case variant_kind::boolean: {
      const bool value = as_bool();
      number_.boolean = value;
      break;
    }
    case variant_kind::integer: {
      const int32_t value = as_int();
      number_.integer = value;
      break;
    }
    case variant_kind::real: {
      const double value = as_real();
      number_.real = value;
      break;
    }
    default:
      return;
  }
  kind_ = target;
}

char variant::first_byte() const noexcept {
  if (kind_ == variant_kind::boolean) return number_.boolean ? '1' : '0';
  const byte_text& t = text();
  return t.length() > 0 ? t.data()[0] : '\0';
}

void variant::append(const variant& other) noexcept {
  become_text();
  if (this == &other) {
    text_.append(text_.data(), text_.length());
    return;
  }
  const byte_text& source = other.text();
  text_.append(source.data(), source.length());
}

void variant::append(const char* text) noexcept {
  become_text();
  if (text && *text) text_.append(text, static_cast<int32_t>(std::strlen(text)));
}

void variant::append(const char* bytes, int32_t count) noexcept {
  become_text();
  text_.append(bytes, count);
}

void variant::append(char byte) noexcept {
  become_text();
  text_.push_back(byte);
}

void variant::set_length(int32_t n) noexcept {
  become_text();
  text_.set_length(n);
}

void variant::drop_front(int32_t n) noexcept {
  become_text();
  const int32_t length = text_.length();
  if (n <= 0 || n > length) return;
  std::memmove(text_.data(), text_.data() + n, static_cast<size_t>(length - n));
  text_.set_length(length - n);
}

void variant::set_left(const variant& other, int32_t n) noexcept {
  if (n < 0) n = 0;
  if (this == &other) {
    become_text();
    if (n < text_.length()) text_.set_length(n);
    return;
  }
  const byte_text& source = other.text();
  kind_ = variant_kind::text;
  text_.assign(source.data(), n < source.length() ? n : source.length());
}

// ---- searching and comparing ----------------------------------------------------

// First byte first, then the rest of the needle from its last byte backward.
static bool matches_at(const char* hay, const char* needle, int32_t needle_length) {
  if (hay[0] != needle[0]) return false;
  for (int32_t k = needle_length - 1; k > 0; --k)
    if (hay[k] != needle[k]) return false;
  return true;
}

int32_t variant::find(const variant& needle, int32_t from) const noexcept {
  const byte_text& hay = text();
  const byte_text& pin = needle.text();
  const int32_t length = hay.length();
  const int32_t needle_length = pin.length();
  if (needle_length == 0 || from < 0 || from >= length) return -1;
  if (needle_length == 1) {
    const void* hit =
        std::memchr(hay.data() + from, pin.data()[0], static_cast<size_t>(length - from));
    return hit ? static_cast<int32_t>(static_cast<const char*>(hit) - hay.data()) : -1;
  }
  for (int32_t i = from; i <= length - needle_length; ++i)
    if (matches_at(hay.data() + i, pin.data(), needle_length)) return i;
  return -1;
}

int32_t variant::find_last(const variant& needle) const noexcept {
  const byte_text& hay = text();
  const byte_text& pin = needle.text();
  const int32_t needle_length = pin.length();
  if (needle_length == 0) return -1;
  for (int32_t i = hay.length() - needle_length; i >= 0; --i)
    if (matches_at(hay.data() + i, pin.data(), needle_length)) return i;
  return -1;
}

int variant::compare(const variant& a, const variant& b) noexcept {
  if (&a == &b) return 0;
  const byte_text& x = a.text();
  const byte_text& y = b.text();
  if (x.length() == 0 || y.length() == 0) return x.length() - y.length();
  const int32_t common = x.length() < y.length() ? x.length() : y.length();
  const auto* p = reinterpret_cast<const unsigned char*>(x.data());
  const auto* q = reinterpret_cast<const unsigned char*>(y.data());
  for (int32_t i = 0; i < common; ++i)
    if (p[i] != q[i]) return static_cast<int>(p[i]) - static_cast<int>(q[i]);
  return x.length() - y.length();
}

int variant::compare_ignoring_case(const variant& a, const variant& b) noexcept {
  if (&a == &b) return 0;
  const char* p = a.c_str();
  const char* q = b.c_str();
  return compare_folded_utf8(p, static_cast<int32_t>(std::strlen(p)), q,
                             static_cast<int32_t>(std::strlen(q)));
}

// ---- editing ----------------------------------------------------------------------

void variant::replace_all(const variant& what, const variant& with) noexcept {
  become_text();
  // Copies, in case either argument is this variant itself.
  const byte_text pattern = what.text();
  const byte_text replacement = with.text();
  const int32_t pattern_length = pattern.length();
  const int32_t replacement_length = replacement.length();
  if (pattern_length == 0 || text_.length() == 0) return;

  if (pattern_length == 1 && replacement_length == 1) {
    const char from = pattern.data()[0];
    const char to = replacement.data()[0];
    char* p = text_.data();
    for (int32_t i = 0; i < text_.length(); ++i)
      if (p[i] == from) p[i] = to;
    return;
  }

  const variant needle(pattern.data(), pattern_length);
  int64_t count = 0;
  for (int32_t at = find(needle, 0); at >= 0; at = find(needle, at + pattern_length)) ++count;
  if (count == 0) return;
  const int64_t new_length =
      text_.length() + count * (static_cast<int64_t>(replacement_length) - pattern_length);
  if (new_length > byte_text::max_capacity) {
    text_.release();
    return;
  }
  if (new_length == 0) {
    text_.set_length(0);
    return;
  }
  byte_text result;
  result.reset(static_cast<int32_t>(new_length));
  if (result.length() != new_length) {
    text_.release();
    return;
  }
  char* out = result.data();
  int32_t copied = 0;
  for (int32_t at = find(needle, 0); at >= 0; at = find(needle, at + pattern_length)) {
    copy_bytes(out, text_.data() + copied, at - copied);
    out += at - copied;
    copy_bytes(out, replacement.data(), replacement_length);
    out += replacement_length;
    copied = at + pattern_length;
  }
  copy_bytes(out, text_.data() + copied, text_.length() - copied);
  text_ = static_cast<byte_text&&>(result);
}

void variant::trim() noexcept {
  become_text();
  auto blank = [](char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; };
  int32_t end = text_.length();
  while (end > 0 && blank(text_.data()[end - 1])) --end;
  int32_t start = 0;
  while (start < end && blank(text_.data()[start])) ++start;
  if (start > 0) std::memmove(text_.data(), text_.data() + start, static_cast<size_t>(end - start));
  text_.set_length(end - start);
}

void variant::to_lower() noexcept {
  become_text();
  fold_case_utf8(text_);
}

void variant::quote() noexcept {
  become_text();
  const int32_t length = text_.length();
  if (length > 0 && text_.data()[0] == '"') return;
  int32_t quotes = 0;
  for (int32_t i = 0; i < length; ++i) quotes += text_.data()[i] == '"';
  const int64_t quoted_length = static_cast<int64_t>(length) + quotes + 2;
  byte_text result;
  if (quoted_length <= byte_text::max_capacity) result.reset(static_cast<int32_t>(quoted_length));
  if (result.length() != quoted_length) {
    text_.release();
    return;
  }
  char* out = result.data();
  *out++ = '"';
  for (int32_t i = 0; i < length; ++i) {
    if (text_.data()[i] == '"') *out++ = '\\';
    *out++ = text_.data()[i];
  }
  *out = '"';
  text_ = static_cast<byte_text&&>(result);
}

namespace {
// Collects escaped text; a failed allocation leaves it short, which the caller
// sees as a failure.
struct byte_text_sink {
  byte_text& out;
  void put(const char* bytes, int32_t count) {
    if (count > 0) out.append(bytes, count);
  }
};
}  // namespace

void variant::escape_html() noexcept {
  const byte_text& source = text();
  byte_text result;
  byte_text_sink sink{result};
  put_html_escaped(sink, source.data(), source.length());
  if (result.length() == source.length() &&
      (result.length() == 0 ||
       std::memcmp(result.data(), source.data(), static_cast<size_t>(result.length())) == 0))
    return;
  kind_ = variant_kind::text;
  text_ = static_cast<byte_text&&>(result);
}

}  // namespace lumadir
