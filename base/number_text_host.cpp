// Host stand-in for the locale services: the en-US rules (M/d/yyyy, h:mm AM,
// 1,234) and UTC as the local time zone, so that portable code and its tests
// have something fixed to run against.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "base/number_text.h"

namespace lumadir {

time_value time_now() noexcept {
  return static_cast<time_value>(std::time(nullptr));
}
time_value time_to_local(time_value utc) noexcept {
  return utc;
}
time_value time_to_utc(time_value local) noexcept {
  return local;
}

static bool split_time(time_value t, std::tm& parts) {
  const std::time_t seconds = t;
  return gmtime_r(&seconds, &parts) != nullptr;
}

variant date_text(time_value t) noexcept {
  std::tm p;
  if (!split_time(t, p)) return variant("");
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%d/%d/%d", p.tm_mon + 1, p.tm_mday, p.tm_year + 1900);
  return variant(buffer);
}

variant time_text(time_value t, uint32_t flags) noexcept {
  std::tm p;
  if (!split_time(t, p)) return variant("");
  const int hour = p.tm_hour % 12 ? p.tm_hour % 12 : 12;
  const char* half = p.tm_hour < 12 ? "AM" : "PM";
  char buffer[32];
  if (flags & time_no_seconds)
    std::snprintf(buffer, sizeof buffer, "%d:%02d %s", hour, p.tm_min, half);
  else
    std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d %s", hour, p.tm_min, p.tm_sec, half);
  return variant(buffer);
}

static char* copy_of(const char* text) {
  char* copy = static_cast<char*>(std::malloc(std::strlen(text) + 1));
  if (copy) std::strcpy(copy, text);
  return copy;
}

void load_number_format(number_format& format) noexcept {
  format = number_format{};
  format.leading_zero = 1;
  format.grouping = 3;
  format.decimal_separator = copy_of(".");
  format.thousand_separator = copy_of(",");
  format.negative_order = 1;
}

void release_number_format(number_format& format) noexcept {
  std::free(format.decimal_separator);
  std::free(format.thousand_separator);
  format.decimal_separator = nullptr;
  format.thousand_separator = nullptr;
}

variant number_text(const variant& value, const number_format& format) noexcept {
  // Whole numbers only, as every caller formats them.
  const char* digits = value.c_str();
  const bool negative = digits[0] == '-';
  if (negative) ++digits;
  const size_t count = std::strspn(digits, "0123456789");
  if (count == 0) return variant("");
  const char* separator = format.thousand_separator ? format.thousand_separator : "";
  const size_t group = format.grouping ? format.grouping : count;
  variant text(negative ? "-" : "");
  for (size_t i = 0; i < count; ++i) {
    if (i > 0 && (count - i) % group == 0) text.append(separator);
    text.append(digits[i]);
  }
  return text;
}

}  // namespace lumadir
