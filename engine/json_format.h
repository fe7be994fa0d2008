// The JSON form, for scripts: one UTF-8 document, written as the walk goes (no
// part of it is held back), holding the source folder, the settings that shaped
// the listing, each listed folder with its path, its entries and its summary,
// and the grand total. Entries hold the shown columns as machine values: sizes
// in bytes, times in ISO 8601 with the UTC offset, attributes as letters.
#pragma once

#include "engine/listing_format.h"

namespace lumadir {

// Appends the text as a JSON string, quotes included: `"` and `\` escaped,
// control characters as \n, \t, ... or \u00XX, a lone surrogate (a name NTFS
// allows) as its \uDXXX escape so the exact name can be rebuilt, and a byte
// that is no part of any character as \uFFFD.
void append_json_string(variant& out, const char* bytes, int32_t length) noexcept;
variant json_string(const variant& text) noexcept;

class json_format final : public listing_format {
 public:
  using listing_format::listing_format;
  run_result head(const variant& source_path) noexcept override;
  bool folder_start(const variant& folder) noexcept override;
  bool unreadable_folder(const variant& folder) noexcept override;
  run_result row(file_entry& entry, bool odd_row) noexcept override;
  bool folder_summary(int32_t files, int32_t folders, uint64_t size) noexcept override;
  run_result foot() noexcept override;

 private:
  void append_settings();
  void append_time(time_value utc);
  // Ends the folder object under way, if any, into `text_`.
  void close_folder();
  bool write_text();

  shown_column columns_[column_slot_count] = {};
  int32_t column_count_ = 0;
  variant offset_{""};  // the UTC offset that every local time of the run has
  variant text_{""};
  bool folder_open_ = false;
  bool entries_open_ = false;
  bool any_folder_ = false;
  bool any_entry_ = false;
};

}  // namespace lumadir
