// The CSV form, for spreadsheets: RFC 4180 with CR LF line ends, in UTF-8 with
// a byte-order mark (spreadsheet programs on Windows take a file without one
// for their legacy code page). A header row of the column titles, then one row
// per listed file or folder: its folder's full path first, then the shown
// columns in their order, as machine values (sizes in bytes, local times as
// "2024-06-10 06:13:05", attributes as letters). Summaries are no rows: a
// spreadsheet adds up for itself.
#pragma once

#include "engine/listing_format.h"

namespace lumadir {

// Appends one cell as this form writes it: well-formed UTF-8 (see
// append_clean_text; tabs and line breaks kept), an apostrophe in front of a
// text that a spreadsheet would take for a formula, in quotes (quotes doubled)
// when it holds a comma, a quote or a line break.
void append_csv_cell(variant& row, const char* bytes, int32_t length, variant& scratch) noexcept;
// The same for one text alone.
variant csv_cell(const variant& text) noexcept;

class csv_format final : public listing_format {
 public:
  using listing_format::listing_format;
  run_result head(const variant& source_path) noexcept override;
  bool folder_start(const variant& folder) noexcept override;
  bool unreadable_folder(const variant& folder) noexcept override;
  run_result row(file_entry& entry, bool odd_row) noexcept override;
  bool folder_summary(int32_t files, int32_t folders, uint64_t size) noexcept override;
  run_result foot() noexcept override;

 private:
  void append_cell(const variant& text);
  shown_column columns_[column_slot_count] = {};
  int32_t column_count_ = 0;
  variant folder_cell_{""};  // the folder's path as a cell, for each of its rows
  variant row_{""};
  variant scratch_{""};
};

}  // namespace lumadir
