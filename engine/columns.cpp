#include "engine/columns.h"

#include <cstring>

#include "base/number_text.h"
#include "base/phrase_table.h"
#include "base/registry.h"
#include "base/text_encoding.h"
#include "engine/cell_writers.h"
#include "engine/listing_output.h"
#include "engine/phrase_ids.h"

namespace lumadir {

static const char* const key_texts[column_key_count] = {
    "Name", "Extension", "Size", "Modified", "Created", "Accessed", "Attributes", "Type"};

const char* column_key_text(column_key key) noexcept {
  return key_texts[static_cast<int32_t>(key)];
}

int32_t column_key_of(const variant& text) noexcept {
  for (int32_t k = 0; k < column_key_count; ++k)
    if (variant::compare(text, variant(key_texts[k])) == 0) return k;
  return -1;
}

run_result setup_columns(listing_settings& settings) noexcept {
  settings.column_titles.clear();
  settings.visible_columns = 0;
  if (settings.columns.count() != 4 * settings.column_slots) return run_result::bad_columns;
  bool seen[column_key_count] = {};
  int64_t total = 0;
  const auto* line = settings.columns.first();
  for (int32_t position = 0; position < settings.column_slots; ++position) {
    const variant& key = line->value;
    const variant& shown = line->next->value;
    const variant& width = line->next->next->value;
    const variant& title = line->next->next->next->value;
    line = line->next->next->next->next;
    const int32_t k = column_key_of(key);
    if (k >= 0) seen[k] = true;
    settings.column_titles.push_copy(title);
    if (shown.as_int() != 0) {
      ++settings.visible_columns;
      settings.column_widths[position] = width.as_int();
      total += width.as_int();
      settings.column_writers[position] =
          k >= 0 ? cell_writer_of(static_cast<column_key>(k)) : nullptr;
    } else {
      settings.column_widths[position] = 0;
      settings.column_writers[position] = nullptr;
    }
    if (settings.stopping()) return run_result::stopped;
  }
  for (bool s : seen)
    if (!s) return run_result::bad_columns;
  for (int32_t position = 0; position < settings.column_slots; ++position) {
    int32_t& width = settings.column_widths[position];
    // floor(width * 100 / total + 0.5), in integers. Widths that add up to 0
    // (possible only with negative ones) have no percentages: 0, no header.
    if (width != 0 && total == 0) {
      width = 0;
    } else if (width != 0) {
      const int64_t scaled = 200 * static_cast<int64_t>(width) + total;
      const int64_t twice_total = 2 * total;
      int64_t q = scaled / twice_total;
      if ((scaled % twice_total != 0) && ((scaled < 0) != (twice_total < 0))) --q;  // floor
      width = static_cast<int32_t>(q);
    }
  }
  return run_result::done;
}

namespace {

// Where a cell's text goes: into a text (cell_text) or straight into the
// listing (the cell writers), so that a row builds no texts of its own.
struct text_sink {
  variant& text;
  void put(const char* bytes, int32_t count) { text.append(bytes, count); }
};
struct output_sink {
  listing_output& output;
  void put(const char* bytes, int32_t count) { output.write(bytes, count); }
};
// Into a text, names and types as they are: for the forms that are no HTML.
struct plain_sink {
  variant& text;
  void put(const char* bytes, int32_t count) { text.append(bytes, count); }
};

template <typename Sink>
void put_text(Sink& sink, const variant& text) {
  const byte_text& bytes = text.text();
  sink.put(bytes.data(), bytes.length());
}

template <typename Sink>
void put_text(Sink& sink, const char* text) {
  sink.put(text, static_cast<int32_t>(std::strlen(text)));
}

// The text escaped for HTML as variant::escape_html does it, piece by piece.
template <typename Sink>
void put_escaped(Sink& sink, const variant& text) {
  const byte_text& bytes = text.text();
  put_html_escaped(sink, bytes.data(), bytes.length());
}

void put_escaped(plain_sink& sink, const variant& text) {
  const byte_text& bytes = text.text();
  sink.put(bytes.data(), bytes.length());
}

template <typename Sink>
void put_date(Sink& sink, time_value t, listing_settings& settings) {
  put_text(sink, settings.text_cache.date(t));
  if (settings.show_times != 0) {
    sink.put(" ", 1);
    put_text(sink, settings.text_cache.time_of_day(t));
  }
}

const char* language_phrase(const listing_settings& settings, int32_t id) {
  return settings.language_phrases ? settings.language_phrases->phrase_text(id) : "";
}

// The registry's description of a file type, remembered per extension for the
// run (one registry round trip per extension, not per file).
const variant& type_description(const variant& extension, listing_settings& settings) {
  if (const variant* known = settings.file_type_cache.find(extension)) return *known;
  // The registry's extensions are listed once per run: in a large tree most
  // extensions are unknown, and asking for each one costs a round trip.
  if (!settings.registered_extensions_read) {
    settings.registered_extensions.clear();
    settings.registered_extensions_known = registry_subkey_names(
        registry_root::classes_root, variant(""), ".", settings.registered_extensions);
    settings.registered_extensions_read = true;
  }
  variant folded;
  folded.assign_text_of(extension);
  folded.to_lower();
  const bool may_be_registered =
      !settings.registered_extensions_known || settings.registered_extensions.find(folded);
  variant description;
  variant_map values;
  values.put(variant(""), variant(""));
  variant type_name("");
  const bool extension_found =
      may_be_registered && read_registry_values(registry_root::classes_root, extension, values) &&
      values.get(variant(""), type_name) && type_name.length() > 0;
  variant_map type_values;
  type_values.put(variant(""), variant(""));
  if (extension_found &&
      read_registry_values(registry_root::classes_root, type_name, type_values)) {
    type_values.get(variant(""), description);
    description.convert_to(static_cast<int>(variant_kind::text));
  } else {
    description.assign_text_of(extension);
    description.append(language_phrase(settings, phrase_id::type_extension_file));
  }
  settings.file_type_cache.put(extension, description);
  const variant* stored = settings.file_type_cache.find(extension);
  static const variant nothing("");
  return stored ? *stored : nothing;  // none only when the map could not grow
}

template <typename Sink>
void put_cell(column_key key, const file_entry& entry, listing_settings& settings, Sink& sink) {
  switch (key) {
    case column_key::name:
      put_escaped(sink, entry.name);
      return;
    case column_key::extension:
      put_escaped(sink, entry.extension);
      return;
    case column_key::size:
      if (!entry.is_folder)
        put_text(sink, size_text(entry.size, settings.size_units, settings.size_unit_text,
                                 settings.number_format_record));
      return;
    case column_key::modified:
      put_date(sink, entry.modified, settings);
      return;
    case column_key::created:
      put_date(sink, entry.created, settings);
      return;
    case column_key::accessed:
      put_date(sink, entry.accessed, settings);
      return;
    case column_key::attributes:
      if (entry.is_link)
        put_text(sink, language_phrase(settings, phrase_id::attributes_folder_link));
      else if (entry.is_folder)
        put_text(sink, language_phrase(settings, phrase_id::attributes_folder));
      else
        put_text(sink, attribute_text(entry.attributes));
      return;
    case column_key::type:
      if (entry.is_link)
        put_escaped(sink, variant(language_phrase(settings, phrase_id::type_folder_link)));
      else if (entry.is_folder)
        put_escaped(sink, variant(language_phrase(settings, phrase_id::type_file_folder)));
      else if (entry.extension.length() == 0)
        put_escaped(sink, variant(language_phrase(settings, phrase_id::type_file)));
      else
        put_escaped(sink, type_description(entry.extension, settings));
      return;
  }
}

}  // namespace

variant cell_text(column_key key, const file_entry& entry, listing_settings& settings) noexcept {
  variant text("");
  text_sink sink{text};
  put_cell(key, entry, settings, sink);
  return text;
}

variant plain_cell_text(column_key key, const file_entry& entry,
                        listing_settings& settings) noexcept {
  variant text("");
  plain_sink sink{text};
  put_cell(key, entry, settings, sink);
  return text;
}

void write_cell_text(column_key key, const file_entry& entry, listing_settings& settings,
                     listing_output& output) noexcept {
  output_sink sink{output};
  put_cell(key, entry, settings, sink);
}

// Case-sensitive: by code point (the byte order of UTF-8). Ignoring case: by
// code point after Unicode simple case folding.
static int compare_bytes(const variant& a, const variant& b, bool fold) {
  const byte_text& x = a.text();
  const byte_text& y = b.text();
  if (fold) return compare_folded_utf8(x.data(), x.length(), y.data(), y.length());
  const int32_t common = x.length() < y.length() ? x.length() : y.length();
  const auto* p = reinterpret_cast<const unsigned char*>(x.data());
  const auto* q = reinterpret_cast<const unsigned char*>(y.data());
  for (int32_t i = 0; i < common; ++i)
    if (p[i] != q[i]) return p[i] - q[i];
  return x.length() - y.length();
}

int compare_entries(const file_entry& a, const file_entry& b, int32_t sort_key) noexcept {
  if (a.is_folder != b.is_folder)
    return static_cast<int>(b.is_folder) - static_cast<int>(a.is_folder);
  switch (sort_key) {
    case 0:
      return compare_bytes(a.name, b.name, false);
    case 1:
      return compare_bytes(a.extension, b.extension, false);
    case 2:
      return compare_size(a.size, b.size);
    case 3:
      return a.modified < b.modified ? -1 : (a.modified > b.modified ? 1 : 0);
    case 4:
      return compare_bytes(a.name, b.name, true);
    case 5:
      return compare_bytes(a.extension, b.extension, true);
    default:
      return 0;
  }
}

}  // namespace lumadir
