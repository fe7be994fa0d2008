#include "engine/csv_format.h"

#include <cinttypes>
#include <cstdio>

#include "base/phrase_table.h"
#include "engine/phrase_ids.h"

namespace lumadir {

// A spreadsheet takes a cell that starts with = + - or @ for a formula (which
// may start other programs), and one that starts with a tab or a carriage
// return too, after trimming. Such a cell is written with an apostrophe in
// front, which makes spreadsheets show it as text; so that this stays
// reversible, a cell whose formula character follows apostrophes gets one
// more. A reader gets the exact text back by dropping one apostrophe from any
// cell that matches ^'+[=+\-@\t\r].
static bool needs_apostrophe(const char* bytes, int32_t length) {
  int32_t i = 0;
  while (i < length && bytes[i] == '\'') ++i;
  if (i == length) return false;
  switch (bytes[i]) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
      return true;
    default:
      return false;
  }
}

void append_csv_cell(variant& row, const char* bytes, int32_t length, variant& scratch) noexcept {
  bool plain_ascii = true;
  for (int32_t i = 0; i < length && plain_ascii; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    plain_ascii = c >= 0x20 && c < 0x7F;
  }
  if (!plain_ascii) {
    scratch = "";
    append_clean_text(scratch, bytes, length, true);
    bytes = scratch.text().data();
    length = scratch.length();
  }
  bool quoted = false;
  for (int32_t i = 0; i < length && !quoted; ++i)
    quoted = bytes[i] == ',' || bytes[i] == '"' || bytes[i] == '\r' || bytes[i] == '\n';
  if (quoted) row.append('"');
  if (needs_apostrophe(bytes, length)) row.append('\'');
  int32_t run = 0;
  for (int32_t i = 0; i < length; ++i) {
    if (bytes[i] != '"') continue;
    row.append(bytes + run, i + 1 - run);  // up to the quote, which is doubled
    run = i;
  }
  row.append(bytes + run, length - run);
  if (quoted) row.append('"');
}

variant csv_cell(const variant& text) noexcept {
  variant cell("");
  variant scratch("");
  append_csv_cell(cell, text.text().data(), text.length(), scratch);
  return cell;
}

void csv_format::append_cell(const variant& text) {
  append_csv_cell(row_, text.text().data(), text.length(), scratch_);
}

run_result csv_format::head(const variant&) noexcept {
  const run_result prepared = prepare_listing(settings_);
  if (prepared != run_result::done) return prepared;
  column_count_ = shown_columns(settings_, columns_);
  row_ = "\xEF\xBB\xBF";
  append_cell(
      variant(settings_.language_phrases ? settings_.language_phrases->phrase_text(phrase_id::csv_folder_title) : ""));
  for (int32_t c = 0; c < column_count_; ++c) {
    row_.append(',');
    append_cell(*columns_[c].title);
  }
  row_.append("\r\n");
  return output_.write(row_) ? run_result::done : run_result::write_failed;
}

bool csv_format::folder_start(const variant& folder) noexcept {
  folder_cell_ = "";
  append_csv_cell(folder_cell_, folder.text().data(), folder.length(), scratch_);
  return true;
}

// A folder that cannot be read has no entries, so no rows.
bool csv_format::unreadable_folder(const variant&) noexcept {
  return true;
}

run_result csv_format::row(file_entry& entry, bool) noexcept {
  if (settings_.stopping()) return run_result::stopped;
  row_ = "";
  row_.append(folder_cell_);
  for (int32_t c = 0; c < column_count_; ++c) {
    row_.append(',');
    switch (columns_[c].key) {
      case column_key::name:
        append_cell(entry.name);
        break;
      case column_key::extension:
        append_cell(entry.extension);
        break;
      case column_key::size:
        if (!entry.is_folder) {
          char digits[24];
          std::snprintf(digits, sizeof digits, "%" PRIu64, entry.size);
          row_.append(digits);
        }
        break;
      case column_key::modified:
        append_machine_time(row_, settings_.text_cache.to_local(entry.modified), ' ');
        break;
      case column_key::created:
        append_machine_time(row_, settings_.text_cache.to_local(entry.created), ' ');
        break;
      case column_key::accessed:
        append_machine_time(row_, settings_.text_cache.to_local(entry.accessed), ' ');
        break;
      case column_key::attributes:
        row_.append(attribute_text(entry.attributes));
        break;
      case column_key::type:
        append_cell(plain_cell_text(column_key::type, entry, settings_));
        break;
    }
  }
  row_.append("\r\n");
  return output_.write(row_) ? run_result::done : run_result::write_failed;
}

bool csv_format::folder_summary(int32_t, int32_t, uint64_t) noexcept {
  return true;
}

run_result csv_format::foot() noexcept {
  if (settings_.language_phrases)
    settings_.progress(variant(settings_.language_phrases->phrase_text(phrase_id::writing_summary)));
  return run_result::done;
}

}  // namespace lumadir
