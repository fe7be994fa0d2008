#include "engine/listing_format.h"

#include <cstdio>

#include "base/phrase_table.h"
#include "base/text_encoding.h"
#include "engine/filter.h"
#include "engine/phrase_ids.h"

namespace lumadir {

static const char* const type_names[listing_type_count] = {"html", "csv", "json", "txt"};

const char* listing_type_name(listing_type type) noexcept {
  return type_names[static_cast<int32_t>(listing_type_of(static_cast<int32_t>(type)))];
}

listing_type listing_type_of(int32_t stored) noexcept {
  return stored >= 0 && stored < listing_type_count ? static_cast<listing_type>(stored)
                                                    : listing_type::html;
}

bool listing_type_of_name(const char* word, listing_type& type) noexcept {
  variant folded(word ? word : "");
  folded.to_lower();
  if (variant::compare(folded, variant("htm")) == 0) folded = "html";
  for (int32_t t = 0; t < listing_type_count; ++t) {
    if (variant::compare(folded, variant(type_names[t])) == 0) {
      type = static_cast<listing_type>(t);
      return true;
    }
  }
  return false;
}

bool listing_type_of_path(const variant& path, listing_type& type) noexcept {
  variant name;
  name.assign_text_of(path);
  const int32_t dot = name.find_last(variant('.'));
  if (dot < 0) return false;
  // A dot in a folder's name is no extension of the file.
  if (name.find(variant('\\'), dot) >= 0 || name.find(variant('/'), dot) >= 0) return false;
  return listing_type_of_name(name.c_str() + dot + 1, type);
}

run_result prepare_listing(listing_settings& settings) noexcept {
  // The stop request is cleared when the run starts, not here: a Stop pressed
  // between the start and the head (or after the totals walk) must still stop.
  settings.result_code.store(run_result::done);
  if (settings.language_phrases)
    settings.progress(variant(settings.language_phrases->phrase_text(phrase_id::preparing_listing)));
  settings.column_titles.clear();
  build_pattern_lists(settings.filter);
  settings.run_total_size = 0;
  settings.run_file_count = 0;
  settings.run_folder_count = 0;
  // A unit without an entry has no suffix (get would give the integer 0).
  const variant* unit_text = settings.size_unit_texts.find(variant(settings.size_units));
  if (unit_text)
    settings.size_unit_text.assign_text_of(*unit_text);
  else
    settings.size_unit_text = "";
  return setup_columns(settings);
}

int32_t shown_columns(const listing_settings& settings,
                      shown_column (&columns)[column_slot_count]) noexcept {
  // setup_columns has checked that the lines name every key once, four lines
  // a slot, and given each shown slot a writer and a title.
  int32_t count = 0;
  const variant_list::node* line = settings.columns.first();
  const variant_list::node* title = settings.column_titles.first();
  static const variant no_title("");
  for (int32_t position = 0; position < settings.column_slots && line; ++position) {
    const int32_t key = column_key_of(line->value);
    if (settings.column_writers[position] && key >= 0)
      columns[count++] = {static_cast<column_key>(key), title ? &title->value : &no_title};
    for (int32_t skip = 0; skip < 4 && line; ++skip) line = line->next;
    if (title) title = title->next;
  }
  return count;
}

const char* column_field_name(column_key key) noexcept {
  static const char* const names[column_key_count] = {
      "name", "extension", "size", "modified", "created", "accessed", "attributes", "type"};
  return names[static_cast<int32_t>(key)];
}

// Days since 1970-01-01 as a date of the proleptic Gregorian calendar.
static void civil_date(int64_t days, int64_t& year, int32_t& month, int32_t& day) {
  days += 719468;  // from 0000-03-01, where a cycle of 400 years starts
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t day_of_era = days - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t shifted_month = (5 * day_of_year + 2) / 153;  // March is 0
  day = static_cast<int32_t>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  month = static_cast<int32_t>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
}

// Appends `value` in exactly `digits` decimal digits.
static void append_digits(variant& out, int64_t value, int32_t digits) {
  char text[20];
  for (int32_t i = digits - 1; i >= 0; --i) {
    text[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  out.append(text, digits);
}

void append_machine_time(variant& out, time_value local, char between) noexcept {
  int64_t days = local / 86400;
  int64_t seconds = local % 86400;
  if (seconds < 0) {
    seconds += 86400;
    --days;
  }
  int64_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  civil_date(days, year, month, day);
  // Written digit by digit: a listing writes three of these a row.
  append_digits(out, year, year >= 10000 ? 5 : 4);
  out.append('-');
  append_digits(out, month, 2);
  out.append('-');
  append_digits(out, day, 2);
  out.append(between);
  append_digits(out, seconds / 3600, 2);
  out.append(':');
  append_digits(out, seconds / 60 % 60, 2);
  out.append(':');
  append_digits(out, seconds % 60, 2);
}

variant machine_time_text(time_value local, char between) noexcept {
  variant text("");
  append_machine_time(text, local, between);
  return text;
}

variant utc_offset_text(int32_t seconds) noexcept {
  const int64_t magnitude = seconds < 0 ? -static_cast<int64_t>(seconds) : seconds;
  char text[16];
  std::snprintf(text, sizeof text, "%c%02d:%02d", seconds < 0 ? '-' : '+',
                static_cast<int>(magnitude / 3600), static_cast<int>(magnitude / 60 % 60));
  return variant(text);
}

void append_clean_text(variant& out, const char* bytes, int32_t length,
                       bool keep_tab_and_line_ends) noexcept {
  static constexpr char replacement[] = "\xEF\xBF\xBD";
  int32_t run = 0;  // start of the bytes not yet appended
  for (int32_t i = 0; i < length;) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7F) {
      ++i;
      continue;
    }
    uint32_t code_point = 0;
    int32_t width = decode_utf8(bytes + i, length - i, code_point);
    const bool noncharacter =
        (code_point >= 0xFDD0 && code_point <= 0xFDEF) || (code_point & 0xFFFE) == 0xFFFE;
    const bool line_control = code_point == '\t' || code_point == '\n' || code_point == '\r';
    const bool keep = width > 0 && !noncharacter &&
                      (code_point >= 0xA0 || (keep_tab_and_line_ends && line_control));
    if (keep) {
      i += width;
      continue;
    }
    if (width == 0) {
      // A lone surrogate is one unit of three bytes; any other stray byte, one.
      width = decode_wtf8(bytes + i, length - i, code_point);
      if (width == 0) width = 1;
    }
    out.append(bytes + run, i - run);
    out.append(replacement, 3);
    i += width;
    run = i;
  }
  out.append(bytes + run, length - run);
}

}  // namespace lumadir
