#include "engine/html_writer.h"

#include <cstdio>

#include "base/file_system.h"
#include "base/phrase_table.h"
#include "engine/columns.h"
#include "engine/listing_format.h"
#include "engine/phrase_ids.h"

namespace lumadir {

namespace {

// A block under construction: format phrases (F), language phrases (L) and
// values, appended in order.
class block {
 public:
  explicit block(const listing_settings& settings) : settings_(settings), text_("") {}
  block& f(int32_t id) {
    if (settings_.format_phrases) text_.append(settings_.format_phrases->phrase_text(id));
    return *this;
  }
  block& l(int32_t id) {
    if (settings_.language_phrases) text_.append(settings_.language_phrases->phrase_text(id));
    return *this;
  }
  block& value(const variant& v) {
    text_.append(v);
    return *this;
  }
  // Paths and labels come from the file system and may hold "&": escaped, so
  // that the document stays well-formed.
  block& escaped(const variant& v) {
    variant e;
    e.assign_text_of(v);
    e.escape_html();
    text_.append(e);
    return *this;
  }
  block& value(int64_t number) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(number));
    text_.append(digits);
    return *this;
  }
  bool write_to(listing_output& output) const { return output.write(text_); }

 private:
  const listing_settings& settings_;
  variant text_;
};

variant sized(uint64_t size, const listing_settings& settings) {
  return size_text(size, settings.size_units, settings.size_unit_text,
                   settings.number_format_record);
}

}  // namespace

variant colour_text(uint32_t colour) noexcept {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF,
                (colour >> 16) & 0xFF);
  return variant(text);
}

// A text for the inside of a quoted CSS string in a style element: quotes,
// backslashes and angle brackets (which could close the element) as CSS hex
// escapes, control characters dropped. Nothing in a font name can end the
// string, the rule or the style.
static variant css_string_body(const variant& text) {
  variant body("");
  const byte_text& bytes = text.text();
  for (int32_t i = 0; i < bytes.length(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes.data()[i]);
    if (c < 0x20 || c == 0x7F) continue;
    if (c == '\'' || c == '"' || c == '\\' || c == '<' || c == '>') {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\%02X ", c);
      body.append(escape);
    } else {
      body.append(static_cast<char>(c));
    }
  }
  return body;
}

variant font_css(const font_style& font) noexcept {
  variant css(" color:");
  css.append(colour_text(font.color));
  css.append("; font-size:");
  css.append(variant(font.size));
  css.append("pt; font-weight:");
  css.append(variant(font.weight));
  css.append("; font-family:'");
  css.append(css_string_body(font.name));
  css.append("';");
  css.append(font.style & 1 ? " font-style:italic;" : " font-style:normal;");
  if (font.style & 6) {
    css.append(" text-decoration:");
    if (font.style & 2) css.append(" underline");
    if (font.style & 4) css.append(" line-through");
    css.append(";");
  }
  return css;
}

run_result write_head(const variant& source_path, listing_settings& settings,
                      listing_output& output) noexcept {
  const run_result prepared = prepare_listing(settings);
  if (prepared != run_result::done) return prepared;

  block style(settings);
  style.f(1)
      .value(colour_text(settings.body_background))
      .f(2)
      .value(font_css(settings.file_font))
      .f(3)
      .value(font_css(settings.folder_font))
      .f(4)
      .value(colour_text(settings.folder_background))
      .f(5)
      .value(colour_text(settings.file_background_odd))
      .f(6)
      .value(colour_text(settings.file_background_even))
      .f(7);
  if (!style.write_to(output)) return run_result::write_failed;
  if (!block(settings).f(8).write_to(output)) return run_result::write_failed;
  if (settings.stopping()) return run_result::stopped;

  block title(settings);
  title.f(9);
  const char* path = source_path.c_str();
  if (source_path.length() == 3 && path[1] == ':') {
    variant root(source_path);
    variant label;
    if (volume_label(root, label) && label.length() > 0) title.f(10).escaped(label).f(11);
  }
  title.escaped(source_path).f(12);
  if (!title.write_to(output)) return run_result::write_failed;

  block widths(settings);
  block header(settings);
  widths.f(13);
  header.f(17);
  const variant_list::node* title_line = settings.column_titles.first();
  for (int32_t position = 0; position < settings.column_slots; ++position) {
    // Every shown column has its width and header, even at 0 %: the rows give
    // it a cell, and a missing header would move every later one left.
    const int32_t percent = settings.column_widths[position];
    if (settings.column_writers[position]) {
      widths.f(14).value(percent).f(15);
      // Titles are the user's text, escaped like every other: "Size <KB>" is a title.
      header.f(18).value(percent).f(19).escaped(title_line ? title_line->value : variant("")).f(20);
    }
    if (title_line) title_line = title_line->next;
    if (settings.stopping()) return run_result::stopped;
  }
  widths.f(16);
  header.f(21);
  if (!widths.write_to(output) || !header.write_to(output)) return run_result::write_failed;
  return run_result::done;
}

bool write_unreadable_folder(const variant& folder, listing_settings& settings,
                             listing_output& output) noexcept {
  return block(settings)
      .f(22)
      .value(settings.visible_columns)
      .f(23)
      .l(phrase_id::folder_unreadable)
      .escaped(folder)
      .f(24)
      .write_to(output);
}

bool write_folder_header(const variant& folder, listing_settings& settings,
                         listing_output& output) noexcept {
  return block(settings)
      .f(25)
      .value(settings.visible_columns)
      .f(26)
      .escaped(folder)
      .f(27)
      .write_to(output);
}

bool write_row_start(bool odd_row, listing_settings& settings, listing_output& output) noexcept {
  return block(settings).f(odd_row ? 29 : 28).write_to(output);
}

bool write_row_end(listing_settings& settings, listing_output& output) noexcept {
  return block(settings).f(30).write_to(output);
}

bool write_folder_summary(int32_t files, int32_t folders, uint64_t size, listing_settings& settings,
                          listing_output& output) noexcept {
  block summary(settings);
  summary.f(31).value(settings.visible_columns).f(32);
  if (settings.recursive_options & totals_all_levels) summary.l(phrase_id::summary_all_levels);
  summary.l(phrase_id::summary_files)
      .value(files)
      .l(phrase_id::summary_folders)
      .value(folders)
      .l(phrase_id::summary_size)
      .value(sized(size, settings))
      .f(33);
  if (!summary.write_to(output)) return false;
  return block(settings).f(34).value(settings.visible_columns).f(35).write_to(output);
}

run_result write_foot(listing_settings& settings, listing_output& output) noexcept {
  if (settings.language_phrases)
    settings.progress(variant(settings.language_phrases->phrase_text(phrase_id::writing_summary)));
  if (settings.show_global_summary != 0) {
    block global(settings);
    global.f(36)
        .value(settings.visible_columns)
        .f(37)
        .l(phrase_id::total_files)
        .value(settings.run_file_count)
        .l(phrase_id::total_folders)
        .value(settings.run_folder_count)
        .l(phrase_id::total_size)
        .value(sized(settings.run_total_size, settings))
        .f(38);
    if (!global.write_to(output)) return run_result::write_failed;
    if (settings.stopping()) return run_result::stopped;
  }
  if (!block(settings).f(39).write_to(output)) return run_result::write_failed;
  if (!block(settings).f(40).write_to(output)) return run_result::write_failed;
  return run_result::done;
}

}  // namespace lumadir
