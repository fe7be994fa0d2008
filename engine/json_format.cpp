#include "engine/json_format.h"

#include <cinttypes>
#include <cstdio>

#include "base/phrase_table.h"
#include "base/product.h"
#include "base/text_encoding.h"
#include "engine/phrase_ids.h"

namespace lumadir {

void append_json_string(variant& out, const char* bytes, int32_t length) noexcept {
  out.append('"');
  int32_t run = 0;  // start of the bytes not yet appended
  for (int32_t i = 0; i < length;) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
      ++i;
      continue;
    }
    uint32_t code_point = 0;
    int32_t width = 0;
    if (c >= 0x80) {
      width = decode_utf8(bytes + i, length - i, code_point);
      if (width > 0) {
        i += width;
        continue;
      }
    }
    out.append(bytes + run, i - run);
    char escape[8];
    if (c == '"' || c == '\\') {
      escape[0] = '\\';
      escape[1] = static_cast<char>(c);
      escape[2] = '\0';
      width = 1;
    } else if (c < 0x20) {
      const char* named = c == '\n'   ? "\\n"
                          : c == '\r' ? "\\r"
                          : c == '\t' ? "\\t"
                          : c == '\b' ? "\\b"
                          : c == '\f' ? "\\f"
                                      : nullptr;
      if (named)
        std::snprintf(escape, sizeof escape, "%s", named);
      else
        std::snprintf(escape, sizeof escape, "\\u%04x", c);
      width = 1;
    } else {
      // A lone surrogate is one unit of three bytes; any other stray byte, one.
      width = decode_wtf8(bytes + i, length - i, code_point);
      if (width > 0)
        std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(code_point));
      else
        std::snprintf(escape, sizeof escape, "\\ufffd");
      if (width == 0) width = 1;
    }
    out.append(escape);
    i += width;
    run = i;
  }
  out.append(bytes + run, length - run);
  out.append('"');
}

variant json_string(const variant& text) noexcept {
  variant out("");
  append_json_string(out, text.text().data(), text.length());
  return out;
}

namespace {

void append_string(variant& out, const variant& text) {
  append_json_string(out, text.text().data(), text.length());
}

void append_number(variant& out, int64_t number) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%" PRId64, number);
  out.append(digits);
}

void append_bytes(variant& out, uint64_t number) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%" PRIu64, number);
  out.append(digits);
}

// {"files": n, "folders": n, "size": bytes}: a folder's summary and the total.
void append_counts(variant& out, int64_t files, int64_t folders, uint64_t size) {
  out.append("{\"files\": ");
  append_number(out, files);
  out.append(", \"folders\": ");
  append_number(out, folders);
  out.append(", \"size\": ");
  append_bytes(out, size);
  out.append('}');
}

const char* truth(bool value) {
  return value ? "true" : "false";
}

// The --sort words of lumadir-cli, by order_files.
const char* sort_name(int32_t order_files) {
  static const char* const names[] = {"none",     "name-exact", "extension-exact", "size",
                                      "modified", "name",       "extension"};
  return order_files >= 0 && order_files < 7 ? names[order_files] : "none";
}

const char* attribute_rule(uint32_t att_filter) {
  switch (att_filter) {
    case att_filter_on:
      return "skip-any";
    case att_filter_on | att_filter_include:
      return "only-any";
    case att_filter_on | att_filter_all:
      return "skip-all";
    case att_filter_on | att_filter_include | att_filter_all:
      return "only-all";
    default:
      return "none";
  }
}

}  // namespace

bool json_format::write_text() {
  const bool written = output_.write(text_);
  text_ = "";
  return written;
}

void json_format::append_time(time_value utc) {
  text_.append('"');
  append_machine_time(text_, settings_.text_cache.to_local(utc), 'T');
  text_.append(offset_);
  text_.append('"');
}

void json_format::append_settings() {
  const listing_settings& s = settings_;
  const filter_block& f = s.filter;
  text_.append(",\r\n \"settings\": {\"columns\": [");
  for (int32_t c = 0; c < column_count_; ++c) {
    text_.append(c ? ", {\"field\": \"" : "{\"field\": \"");
    text_.append(column_field_name(columns_[c].key));
    text_.append("\", \"title\": ");
    append_string(text_, *columns_[c].title);
    text_.append('}');
  }
  text_.append("],\r\n  \"sort\": \"");
  text_.append(sort_name(s.order_files));
  text_.append("\", \"descending\": ");
  text_.append(truth(s.sort_order != 0));
  text_.append(", \"depth\": ");
  if (s.subfolders_level < 0)
    text_.append("null");
  else
    append_number(text_, s.subfolders_level);
  text_.append(", \"file_rows\": ");
  text_.append(truth(s.show_folders & show_file_rows));
  text_.append(", \"folder_rows\": ");
  text_.append(truth(s.show_folders & show_folder_rows));
  text_.append(",\r\n  \"extension_in_name\": ");
  text_.append(truth(s.remove_extension_from_name == 0));
  text_.append(", \"folder_summaries\": ");
  text_.append(truth(s.show_folder_summary != 0));
  text_.append(", \"grand_total\": ");
  text_.append(truth(s.show_global_summary != 0));
  text_.append(",\r\n  \"summaries_count_all_levels\": ");
  text_.append(truth(s.recursive_options & totals_all_levels));
  text_.append(", \"skip_folders_of_no_bytes\": ");
  text_.append(truth(s.recursive_options & totals_skip_empty));
  text_.append(", \"follow_folder_links\": ");
  text_.append(truth(s.follow_folder_links != 0));
  text_.append(",\r\n  \"filter\": {\"files\": ");
  append_string(text_, f.str_files_include);
  text_.append(", \"skip_files\": ");
  append_string(text_, f.str_files_skip);
  text_.append(", \"folders\": ");
  append_string(text_, f.str_folder_include);
  text_.append(", \"skip_folders\": ");
  append_string(text_, f.str_folder_skip);
  text_.append(",\r\n   \"modified_from\": ");
  if (f.time_filter) {
    append_time(f.time_start);
    text_.append(", \"modified_to\": ");
    append_time(f.time_end);
  } else {
    text_.append("null, \"modified_to\": null");
  }
  // The high halves of the bounds are compared as signed numbers.
  auto bound = [](uint32_t high, uint32_t low) {
    return static_cast<int64_t>(static_cast<uint64_t>(high) << 32 | low);
  };
  text_.append(", \"size_from\": ");
  if (f.size_filter) {
    append_number(text_, bound(f.size_high_start, f.size_start));
    text_.append(", \"size_to\": ");
    append_number(text_, bound(f.size_high_end, f.size_end));
  } else {
    text_.append("null, \"size_to\": null");
  }
  text_.append(",\r\n   \"attributes\": ");
  if (f.att_filter & att_filter_on) {
    text_.append("{\"rule\": \"");
    text_.append(attribute_rule(f.att_filter));
    text_.append("\", \"letters\": \"");
    text_.append(attribute_text(f.attrs));
    text_.append("\"}");
  } else {
    text_.append("null");
  }
  text_.append("}}");
}

run_result json_format::head(const variant& source_path) noexcept {
  const run_result prepared = prepare_listing(settings_);
  if (prepared != run_result::done) return prepared;
  column_count_ = shown_columns(settings_, columns_);
  // Local times carry the offset that the system applies to every time of the
  // run (the one in force now, as the listing shows them).
  const time_value now = time_now();
  offset_ = utc_offset_text(static_cast<int32_t>(settings_.text_cache.to_local(now) - now));
  text_ = "{\"program\": \"";
  text_.append(product_title);
  text_.append("\",\r\n \"source\": ");
  append_string(text_, source_path);
  append_settings();
  text_.append(",\r\n \"folders\": [");
  return write_text() ? run_result::done : run_result::write_failed;
}

void json_format::close_folder() {
  if (!folder_open_) return;
  if (entries_open_)
    text_.append(any_entry_ ? "\r\n  ], \"summary\": null}" : "], \"summary\": null}");
  else
    text_.append('}');
  folder_open_ = false;
  entries_open_ = false;
}

bool json_format::folder_start(const variant& folder) noexcept {
  close_folder();
  text_.append(any_folder_ ? ",\r\n  {\"path\": " : "\r\n  {\"path\": ");
  append_string(text_, folder);
  text_.append(", \"entries\": [");
  any_folder_ = true;
  folder_open_ = true;
  entries_open_ = true;
  any_entry_ = false;
  return write_text();
}

bool json_format::unreadable_folder(const variant& folder) noexcept {
  close_folder();
  text_.append(any_folder_ ? ",\r\n  {\"path\": " : "\r\n  {\"path\": ");
  append_string(text_, folder);
  text_.append(", \"unreadable\": true}");
  any_folder_ = true;
  return write_text();
}

run_result json_format::row(file_entry& entry, bool) noexcept {
  if (settings_.stopping()) return run_result::stopped;
  text_.append(any_entry_ ? ",\r\n   {\"kind\": \"" : "\r\n   {\"kind\": \"");
  text_.append(entry.is_link ? "link" : entry.is_folder ? "folder" : "file");
  text_.append('"');
  any_entry_ = true;
  for (int32_t c = 0; c < column_count_; ++c) {
    const column_key key = columns_[c].key;
    text_.append(", \"");
    text_.append(column_field_name(key));
    text_.append("\": ");
    switch (key) {
      case column_key::name:
        append_string(text_, entry.name);
        break;
      case column_key::extension:
        append_string(text_, entry.extension);
        break;
      case column_key::size:
        if (entry.is_folder)
          text_.append("null");
        else
          append_bytes(text_, entry.size);
        break;
      case column_key::modified:
        append_time(entry.modified);
        break;
      case column_key::created:
        append_time(entry.created);
        break;
      case column_key::accessed:
        append_time(entry.accessed);
        break;
      case column_key::attributes:
        text_.append('"');
        text_.append(attribute_text(entry.attributes));
        text_.append('"');
        break;
      case column_key::type:
        append_string(text_, plain_cell_text(column_key::type, entry, settings_));
        break;
    }
  }
  text_.append('}');
  return write_text() ? run_result::done : run_result::write_failed;
}

bool json_format::folder_summary(int32_t files, int32_t folders, uint64_t size) noexcept {
  if (!entries_open_) return true;
  text_.append(any_entry_ ? "\r\n  ], \"summary\": " : "], \"summary\": ");
  append_counts(text_, files, folders, size);
  entries_open_ = false;
  return write_text();
}

run_result json_format::foot() noexcept {
  if (settings_.language_phrases)
    settings_.progress(variant(settings_.language_phrases->phrase_text(phrase_id::writing_summary)));
  close_folder();
  text_.append(any_folder_ ? "\r\n ],\r\n \"total\": " : "],\r\n \"total\": ");
  if (settings_.show_global_summary != 0) {
    append_counts(text_, settings_.run_file_count, settings_.run_folder_count,
                  settings_.run_total_size);
  } else {
    text_.append("null");
  }
  text_.append("}\r\n");
  return write_text() ? run_result::done : run_result::write_failed;
}

}  // namespace lumadir
