#include "base/number_text.h"

#include "base/entry_tree.h"

namespace lumadir {

constexpr int64_t unix_epoch_as_file_time = 116444736000000000LL;
constexpr int64_t file_time_ticks_per_second = 10000000LL;

time_value time_from_file_time(file_time ft) noexcept {
  // Down to the second, also before 1970 (where division alone would round up).
  const int64_t ticks = static_cast<int64_t>(ft) - unix_epoch_as_file_time;
  int64_t seconds = ticks / file_time_ticks_per_second;
  if (ticks % file_time_ticks_per_second < 0) --seconds;
  return seconds;
}

file_time file_time_from_time(time_value t) noexcept {
  return static_cast<file_time>(static_cast<int64_t>(t) * file_time_ticks_per_second +
                                unix_epoch_as_file_time);
}

variant size_text(uint64_t size, int32_t unit, const variant& suffix,
                  const number_format& format) noexcept {
  const char* automatic_suffix = nullptr;
  if (unit == -1) {
    if (size < 1024) {
      unit = 0;
      automatic_suffix = "b";
    } else if (size < 1024 * 1024) {
      unit = 1;
      automatic_suffix = "Kb";
    } else {
      unit = 2;
      automatic_suffix = "Mb";
    }
  }
  uint64_t shown = size;
  if (unit > 0) {
    // Dividing by 1024^u, rounded up; beyond 2^64 every size rounds up to 1.
    if (unit >= 7) {
      shown = size ? 1 : 0;
    } else {
      const uint64_t divisor = uint64_t{1} << (10 * unit);
      shown = size / divisor + (size % divisor ? 1 : 0);
    }
  }
  variant text = number_text(variant::of_int64(static_cast<int64_t>(shown)), format);
  if (automatic_suffix)
    text.append(automatic_suffix);
  else if (unit > 0)
    text.append(suffix);
  return text;
}

variant attribute_text(uint32_t attributes) noexcept {
  static const struct {
    uint32_t bit;
    char letter;
  } letters[] = {{file_attribute::archive, 'A'}, {file_attribute::compressed, 'C'},
                 {file_attribute::hidden, 'H'},  {file_attribute::reparse_point, 'L'},
                 {file_attribute::offline, 'O'}, {file_attribute::read_only, 'R'},
                 {file_attribute::system, 'S'},  {file_attribute::temporary, 'T'}};
  variant text("");
  for (const auto& l : letters)
    if (attributes & l.bit) text.append(l.letter);
  return text;
}

}  // namespace lumadir
