// The texts a listing asks the system for again and again, remembered for one
// run: a row's dates and times need the locale's formatting, which costs more
// than everything else of a row, yet a listing holds few distinct days and at
// most 1440 distinct minutes. The answers are the system's own; the locale and
// the time zone are taken to stay as they are for the length of a run.
#pragma once

#include <cstdint>

#include "base/number_text.h"
#include "base/variant.h"

namespace lumadir {

class run_text_cache {
 public:
  void clear() noexcept;
  // date_text(t), for a local time value.
  const variant& date(time_value local) noexcept;
  // time_text(t, time_no_seconds), for a local time value.
  const variant& time_of_day(time_value local) noexcept;
  // time_to_local(utc): the system applies the offset in force now to every
  // value, so the offset is asked for once per run.
  time_value to_local(time_value utc) noexcept;

 private:
  static constexpr int32_t day_slots = 512;
  static constexpr int32_t minutes_per_day = 1440;
  int32_t day_of_slot_[day_slots] = {};
  bool day_known_[day_slots] = {};
  variant day_text_[day_slots];
  bool minute_known_[minutes_per_day] = {};
  variant minute_text_[minutes_per_day];
  bool offset_known_ = false;
  int32_t offset_ = 0;
};

}  // namespace lumadir
