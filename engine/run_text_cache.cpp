#include "engine/run_text_cache.h"

namespace lumadir {

static int32_t floor_div(int64_t a, int32_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && (a < 0)) --q;
  return static_cast<int32_t>(q);
}

void run_text_cache::clear() noexcept {
  for (bool& known : day_known_) known = false;
  for (bool& known : minute_known_) known = false;
  offset_known_ = false;
}

const variant& run_text_cache::date(time_value local) noexcept {
  const int32_t day = floor_div(local, 86400);
  const int32_t slot = static_cast<int32_t>(static_cast<uint32_t>(day) % day_slots);
  if (!day_known_[slot] || day_of_slot_[slot] != day) {
    day_text_[slot] = date_text(local);
    day_of_slot_[slot] = day;
    day_known_[slot] = true;
  }
  return day_text_[slot];
}

const variant& run_text_cache::time_of_day(time_value local) noexcept {
  const int32_t day = floor_div(local, 86400);
  const int32_t minute =
      static_cast<int32_t>((static_cast<int64_t>(local) - int64_t{day} * 86400) / 60);
  if (!minute_known_[minute]) {
    minute_text_[minute] = time_text(local, time_no_seconds);
    minute_known_[minute] = true;
  }
  return minute_text_[minute];
}

time_value run_text_cache::to_local(time_value utc) noexcept {
  if (!offset_known_) {
    offset_ = static_cast<int32_t>(time_to_local(utc) - utc);
    offset_known_ = true;
  }
  return utc + offset_;
}

}  // namespace lumadir
