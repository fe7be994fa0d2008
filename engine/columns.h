// The eight columns of a listing: how the `columns` setting becomes the visible
// columns with their titles and width percentages, the exact text of each cell,
// and the order of a folder's entries.
#pragma once

#include <cstdint>

#include "base/entry_tree.h"
#include "engine/listing_settings.h"

namespace lumadir {

enum class column_key : int32_t {
  name,
  extension,
  size,
  modified,
  created,
  accessed,
  attributes,
  type
};
constexpr int32_t column_key_count = 8;

// "Name", "Extension", ... as the settings spell them.
const char* column_key_text(column_key key) noexcept;
// The key a settings line names, or -1.
int32_t column_key_of(const variant& text) noexcept;

// Fills column_writers, column_widths (as percentages, halves rounded up),
// visible_columns and column_titles from `columns`: done, stopped when a stop
// was requested, bad_columns when the setting is not 32 lines naming each key
// once.
run_result setup_columns(listing_settings& settings) noexcept;

// The cell text of one entry for a key (HTML-escaped where it is a name or a
// type). The entry's times are already local.
variant cell_text(column_key key, const file_entry& entry, listing_settings& settings) noexcept;
// The same text with nothing escaped.
variant plain_cell_text(column_key key, const file_entry& entry,
                        listing_settings& settings) noexcept;
// The same text, written straight into the listing.
void write_cell_text(column_key key, const file_entry& entry, listing_settings& settings,
                     listing_output& output) noexcept;

// Folders before files; then by the sort key: 0 name and 1 extension byte-wise,
// 2 size, 3 modified time, 4 name and 5 extension ignoring a-z case; any other
// key compares equal.
int compare_entries(const file_entry& a, const file_entry& b, int32_t sort_key) noexcept;

}  // namespace lumadir
