#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "base/number_text.h"

namespace lumadir {

static FILETIME to_filetime(file_time ft) {
  FILETIME out;
  out.dwLowDateTime = static_cast<DWORD>(ft);
  out.dwHighDateTime = static_cast<DWORD>(ft >> 32);
  return out;
}

static file_time from_filetime(const FILETIME& ft) {
  return (static_cast<file_time>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

time_value time_now() noexcept {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return time_from_file_time(from_filetime(ft));
}

time_value time_to_local(time_value utc) noexcept {
  const FILETIME in = to_filetime(file_time_from_time(utc));
  FILETIME out;
  if (!FileTimeToLocalFileTime(&in, &out)) return utc;
  return time_from_file_time(from_filetime(out));
}

time_value time_to_utc(time_value local) noexcept {
  const FILETIME in = to_filetime(file_time_from_time(local));
  FILETIME out;
  if (!LocalFileTimeToFileTime(&in, &out)) return local;
  return time_from_file_time(from_filetime(out));
}

// The system's two-call pattern (ask for the size, then fill a text of that
// size; the count returned includes the terminator), with a first try in a
// buffer that fits every usual date, time and number, which saves the size
// query on the listing's hot path. Wine 8's GetNumberFormatA answers the size
// query with too small a count (2 for "1234567") and then refuses the fill with
// ERROR_INSUFFICIENT_BUFFER, so a refused fill is retried with more room.
template <typename Call>
static variant sized_text(Call call) {
  char quick[128];
  const int quick_written = call(quick, static_cast<int>(sizeof quick));
  if (quick_written > 0) return variant(quick, quick_written - 1);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return variant("");
  variant text("");
  int size = call(nullptr, 0);
  if (size <= 0) return text;
  for (int attempt = 0; attempt < 4; ++attempt) {
    text.set_length(size);
    if (text.length() != size) return variant("");
    const int written = call(text.text_data(), size);
    if (written > 0) {
      text.set_length(written - 1);
      return text;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    size = size < 256 ? 256 : size * 4;
  }
  return variant("");
}

static bool to_systemtime(time_value t, SYSTEMTIME& st) {
  const FILETIME ft = to_filetime(file_time_from_time(t));
  return FileTimeToSystemTime(&ft, &st) != 0;
}

variant date_text(time_value t) noexcept {
  SYSTEMTIME st;
  if (!to_systemtime(t, st)) return variant("");
  return sized_text([&](char* buffer, int size) {
    return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, size);
  });
}

variant time_text(time_value t, uint32_t flags) noexcept {
  SYSTEMTIME st;
  if (!to_systemtime(t, st)) return variant("");
  return sized_text([&](char* buffer, int size) {
    return GetTimeFormatA(LOCALE_USER_DEFAULT, flags, &st, nullptr, buffer, size);
  });
}

static variant locale_info(LCTYPE type) {
  return sized_text([&](char* buffer, int size) {
    return GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, size);
  });
}

// A heap copy of a locale text, or none when the locale gives nothing.
static char* locale_copy(LCTYPE type) {
  const variant value = locale_info(type);
  if (value.length() == 0) return nullptr;
  char* copy = static_cast<char*>(std::malloc(static_cast<size_t>(value.length()) + 1));
  if (copy) std::memcpy(copy, value.c_str(), static_cast<size_t>(value.length()) + 1);
  return copy;
}

void load_number_format(number_format& format) noexcept {
  format = number_format{};
  format.num_digits = 0;
  format.grouping = 3;  // fixed: the locale's own grouping is not read
  const variant leading_zero = locale_info(LOCALE_ILZERO);
  if (leading_zero.length() > 0) format.leading_zero = static_cast<uint32_t>(leading_zero.as_int());
  format.decimal_separator = locale_copy(LOCALE_SDECIMAL);
  format.thousand_separator = locale_copy(LOCALE_STHOUSAND);
  const variant negative = locale_info(LOCALE_INEGNUMBER);
  if (negative.length() > 0) format.negative_order = static_cast<uint32_t>(negative.as_int());
}

void release_number_format(number_format& format) noexcept {
  std::free(format.decimal_separator);
  std::free(format.thousand_separator);
  format.decimal_separator = nullptr;
  format.thousand_separator = nullptr;
}

// Whole non-negative numbers without decimals and with groups of three, which is
// every count and size of a listing, are grouped here: the system's formatting
// of them is exactly this, and it costs more than the rest of a listing's row.
static bool group_digits(const variant& value, const number_format& format, variant& text) {
  if (format.num_digits != 0 || format.grouping != 3) return false;
  const byte_text& digits = value.text();
  const int32_t count = digits.length();
  if (count == 0 || count > 20) return false;
  for (int32_t i = 0; i < count; ++i)
    if (digits.data()[i] < '0' || digits.data()[i] > '9') return false;
  int32_t first = 0;
  while (first < count - 1 && digits.data()[first] == '0') ++first;  // as the system drops them
  const char* separator = format.thousand_separator ? format.thousand_separator : "";
  text = "";
  for (int32_t i = first; i < count; ++i) {
    if (i > first && (count - i) % 3 == 0) text.append(separator);
    text.append(digits.data()[i]);
  }
  return true;
}

variant number_text_of_system(const variant& value, const number_format& format) noexcept;

variant number_text(const variant& value, const number_format& format) noexcept {
  variant grouped;
  if (group_digits(value, format, grouped)) return grouped;
  return number_text_of_system(value, format);
}

// The system's own formatting, for every other value.
variant number_text_of_system(const variant& value, const number_format& format) noexcept {
  NUMBERFMTA system_format;
  system_format.NumDigits = format.num_digits;
  system_format.LeadingZero = format.leading_zero;
  system_format.Grouping = format.grouping;
  system_format.lpDecimalSep = format.decimal_separator;
  system_format.lpThousandSep = format.thousand_separator;
  system_format.NegativeOrder = format.negative_order;
  const char* digits = value.c_str();
  return sized_text([&](char* buffer, int size) {
    return GetNumberFormatA(LOCALE_USER_DEFAULT, 0, digits, &system_format, buffer, size);
  });
}

}  // namespace lumadir
