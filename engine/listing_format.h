// The form a listing is written in: HTML to read and print, CSV for spreadsheets,
// JSON for scripts, plain text for mail. One walk drives every form through
// `listing_format`: the head, then for each folder its start, its rows and its
// summary (or, for a folder that cannot be read, one line saying so), and last
// the foot. The walk, filter, order, depth, totals and columns are the same for
// every form; a form only decides how they are written.
#pragma once

#include <cstdint>

#include "base/entry_tree.h"
#include "base/number_text.h"
#include "engine/columns.h"
#include "engine/listing_output.h"
#include "engine/listing_settings.h"

namespace lumadir {

// Stored in settings.ini as its number; a file without it means HTML.
enum class listing_type : int32_t { html = 0, csv = 1, json = 2, text = 3 };
constexpr int32_t listing_type_count = 4;

// "html", "csv", "json" or "txt": the word of `--as` and the file extension.
const char* listing_type_name(listing_type type) noexcept;
// The type a stored number names; HTML for any other number.
listing_type listing_type_of(int32_t stored) noexcept;
// The type a word names (as listing_type_name spells it, or "htm"); false for
// another word. Capitals count as small letters.
bool listing_type_of_name(const char* word, listing_type& type) noexcept;
// The type the extension of a file name names; false when it names none.
bool listing_type_of_path(const variant& path, listing_type& type) noexcept;

class listing_format {
 public:
  listing_format(listing_settings& settings, listing_output& output) noexcept
      : settings_(settings), output_(output) {}
  virtual ~listing_format() = default;
  listing_format(const listing_format&) = delete;
  listing_format& operator=(const listing_format&) = delete;

  // Prepares the run (prepare_listing) and writes what comes before the first
  // folder: done, stopped, bad_columns or write_failed.
  virtual run_result head(const variant& source_path) noexcept = 0;
  // Each gives whether its write succeeded.
  virtual bool folder_start(const variant& folder) noexcept = 0;
  // Instead of the start, rows and summary of a folder that cannot be read.
  virtual bool unreadable_folder(const variant& folder) noexcept = 0;
  // One row for an entry of the folder last started, its times still UTC (a
  // form may turn them into local ones in place): done, stopped or write_failed.
  virtual run_result row(file_entry& entry, bool odd_row) noexcept = 0;
  virtual bool folder_summary(int32_t files, int32_t folders, uint64_t size) noexcept = 0;
  // The grand total, when asked for, and the end: done, stopped or write_failed.
  virtual run_result foot() noexcept = 0;

 protected:
  listing_settings& settings_;
  listing_output& output_;
};

// What every form does before its head: clears the result and the run totals,
// rebuilds the filter's patterns, takes the size unit's suffix and sets up the
// columns: done, stopped or bad_columns.
run_result prepare_listing(listing_settings& settings) noexcept;

// The shown columns in their order, once the columns are set up.
struct shown_column {
  column_key key;
  const variant* title;
};
int32_t shown_columns(const listing_settings& settings,
                      shown_column (&columns)[column_slot_count]) noexcept;

// The form's own lower-case word for a column: "name", "extension", ...
const char* column_field_name(column_key key) noexcept;

// A local time as "2024-06-10 06:13:05" (`between` ' ') or with "T" between.
void append_machine_time(variant& out, time_value local, char between) noexcept;
variant machine_time_text(time_value local, char between) noexcept;
// A UTC offset in seconds as "+02:00" or "-05:30".
variant utc_offset_text(int32_t seconds) noexcept;

// Appends the text as well-formed UTF-8: a byte that is no part of a UTF-8
// character, a lone surrogate, a non-character and a control character as
// U+FFFD; tab, line feed and carriage return are kept when asked.
void append_clean_text(variant& out, const char* bytes, int32_t length,
                       bool keep_tab_and_line_ends) noexcept;

}  // namespace lumadir
