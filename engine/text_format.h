// The plain-text form, for mail and notes: UTF-8 with CR LF line ends, an
// indented tree of the folders in walk order, each folder's name (the source
// folder's full path) and under it, two spaces further in, a line of column
// titles, its rows with the columns aligned, and its summary line; the grand
// total last. Cells are the texts the HTML listing shows. A folder's rows are
// held until its end, since the widths of its columns depend on all of them.
#pragma once

#include "engine/listing_format.h"

namespace lumadir {

// How many character cells a terminal or a fixed-width font gives well-formed
// UTF-8 text: East Asian wide and fullwidth characters (and emoji) two,
// combining marks and other zero-width characters none, everything else one.
int32_t text_width(const char* bytes, int32_t length) noexcept;

// Appends `cell` and spaces up to `width` character cells: after it, or before
// it when `right` (numbers).
void append_padded(variant& line, const variant& cell, int32_t width, bool right) noexcept;

class text_format final : public listing_format {
 public:
  using listing_format::listing_format;
  run_result head(const variant& source_path) noexcept override;
  bool folder_start(const variant& folder) noexcept override;
  bool unreadable_folder(const variant& folder) noexcept override;
  run_result row(file_entry& entry, bool odd_row) noexcept override;
  bool folder_summary(int32_t files, int32_t folders, uint64_t size) noexcept override;
  run_result foot() noexcept override;

 private:
  int32_t depth_of(const variant& folder) const;
  void indent(int32_t depth);
  // Writes the rows held for the folder under way, aligned; false when the
  // write failed.
  bool write_rows();
  bool write_line();
  const char* phrase(int32_t id) const;

  shown_column columns_[column_slot_count] = {};
  int32_t column_count_ = 0;
  variant titles_[column_slot_count];
  int32_t widths_[column_slot_count] = {};
  variant_list cells_;  // the folder's rows, a cell per shown column each
  int32_t source_length_ = 0;
  bool source_ends_with_separator_ = false;
  int32_t depth_ = 0;  // of the folder under way
  bool any_folder_ = false;
  variant line_{""};
};

}  // namespace lumadir
