// Times, sizes, counts and attribute bits as the texts a listing shows, in the
// user's locale, and the program's own time value.
#pragma once

#include <cstdint>

#include "base/variant.h"

namespace lumadir {

// Seconds since 1970-01-01 00:00:00 (negative before); UTC or local depending on
// where it came from. 64 bits cover every file time, 1601 to 30828.
using time_value = int64_t;

// The system's file time: 100-nanosecond intervals since 1601-01-01.
using file_time = uint64_t;

constexpr uint32_t time_no_seconds = 2;  // the time-format flag every caller passes

// The locale's number format, as the system's number formatting takes it. The
// owner loads it once and releases its two separator texts when done.
struct number_format {
  uint32_t num_digits = 0;
  uint32_t leading_zero = 0;
  uint32_t grouping = 0;
  char* decimal_separator = nullptr;
  char* thousand_separator = nullptr;
  uint32_t negative_order = 0;
};

// (file time - 116444736000000000) / 10000000, rounded down to the second.
time_value time_from_file_time(file_time ft) noexcept;
file_time file_time_from_time(time_value t) noexcept;
time_value time_now() noexcept;
time_value time_to_local(time_value utc) noexcept;
time_value time_to_utc(time_value local) noexcept;

// The user's short date, and the user's time with the given flags. No time-zone
// shift of their own.
variant date_text(time_value t) noexcept;
variant time_text(time_value t, uint32_t flags) noexcept;

// Clears the record, then fills it from the user's locale: no decimals, grouping
// by three, the locale's separators, leading-zero and negative-number rules.
void load_number_format(number_format& format) noexcept;
void release_number_format(number_format& format) noexcept;
// The value's text form grouped by the format; empty when the system refuses.
variant number_text(const variant& value, const number_format& format) noexcept;
#ifdef _WIN32
// The same through the system's GetNumberFormatA alone, for comparison in tests.
variant number_text_of_system(const variant& value, const number_format& format) noexcept;
#endif

// Unit -1 picks b, Kb or Mb by size; unit u > 0 divides by 1024^u rounding up and
// appends `suffix`; unit 0 shows bytes with no suffix.
variant size_text(uint64_t size, int32_t unit, const variant& suffix,
                  const number_format& format) noexcept;

// One letter per set attribute, in the order A C H L O R S T (L: a link or
// other reparse point).
variant attribute_text(uint32_t attributes) noexcept;

}  // namespace lumadir
