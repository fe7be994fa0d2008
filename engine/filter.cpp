#include "engine/filter.h"

#include <cstdlib>
#include <type_traits>

#include "base/regex_binding.h"
#include "base/xml_reader.h"

namespace lumadir {

static void build_list(variant& masks, variant_list& patterns) {
  patterns.clear();
  masks.trim();
  variant_list pieces;
  regex_split(" *; *", masks, pieces);
  variant piece;
  while (pieces.pop(piece)) {
    if (piece.length() == 0) continue;
    mask_to_pattern(piece);
    patterns.push(piece);
  }
}

void build_pattern_lists(filter_block& filter) noexcept {
  build_list(filter.str_files_include, filter.file_include_patterns);
  build_list(filter.str_files_skip, filter.file_skip_patterns);
  build_list(filter.str_folder_include, filter.folder_include_patterns);
  build_list(filter.str_folder_skip, filter.folder_skip_patterns);
}

static void copy_list(const variant_list& from, variant_list& to) {
  to.clear();
  for (const auto* n = from.first(); n; n = n->next) to.push_copy(n->value);
}

void copy_filter(const filter_block& from, filter_block& to) noexcept {
  to.time_filter = from.time_filter;
  to.time_start = from.time_start;
  to.time_end = from.time_end;
  to.size_filter = from.size_filter;
  to.size_start = from.size_start;
  to.size_end = from.size_end;
  to.size_high_start = from.size_high_start;
  to.size_high_end = from.size_high_end;
  to.att_filter = from.att_filter;
  to.attrs = from.attrs;
  to.str_files_include.assign_text_of(from.str_files_include);
  to.str_files_skip.assign_text_of(from.str_files_skip);
  to.str_folder_include.assign_text_of(from.str_folder_include);
  to.str_folder_skip.assign_text_of(from.str_folder_skip);
  copy_list(from.file_include_patterns, to.file_include_patterns);
  copy_list(from.file_skip_patterns, to.file_skip_patterns);
  copy_list(from.folder_include_patterns, to.folder_include_patterns);
  copy_list(from.folder_skip_patterns, to.folder_skip_patterns);
}

bool matches_pattern_list(const variant_list& patterns, const variant& name) noexcept {
  static const variant any_name("^.*$");  // the mask "*": every name matches it
  for (const auto* n = patterns.first(); n; n = n->next) {
    if (variant::compare(n->value, any_name) == 0) return true;
    if (regex_match(n->value.c_str(), regex_icase, name) == 0) return true;
  }
  return false;
}

// Exclude-all rejects a file that has every attribute of the set; with an empty
// set it rejects nothing. (Taken literally, the complement test of this mode
// could never reject a real file.)
static bool rejected_by_attributes(uint32_t mode, uint32_t a, uint32_t s) {
  switch (mode) {
    case att_filter_on:  // exclude, any
      return (a & ~s) != 0;
    case att_filter_on | att_filter_include:  // include, any
      return (a & s) == 0;
    case att_filter_on | att_filter_all:  // exclude, all
      return s != 0 && (a & s) == s;
    case att_filter_on | att_filter_include | att_filter_all:  // include, all
      return (a & s) != s;
    default:
      return false;  // never produced by the dialog
  }
}

bool passes_filter(const filter_block& filter, const file_entry& entry) noexcept {
  if (entry.is_folder) {
    return matches_pattern_list(filter.folder_include_patterns, entry.name) &&
           !matches_pattern_list(filter.folder_skip_patterns, entry.name);
  }
  if ((filter.att_filter & att_filter_on) &&
      rejected_by_attributes(filter.att_filter, entry.attributes, filter.attrs))
    return false;
  if (filter.time_filter &&
      (entry.modified < filter.time_start || entry.modified > filter.time_end))
    return false;
  if (filter.size_filter) {
    // High halves compare as signed numbers, low halves as unsigned.
    const auto high = static_cast<int32_t>(entry.size >> 32);
    const auto low = static_cast<uint32_t>(entry.size);
    auto below = [&](int32_t h, uint32_t l) { return high < h || (high == h && low < l); };
    auto above = [&](int32_t h, uint32_t l) { return high > h || (high == h && low > l); };
    if (below(static_cast<int32_t>(filter.size_high_start), filter.size_start) ||
        above(static_cast<int32_t>(filter.size_high_end), filter.size_end))
      return false;
  }
  return matches_pattern_list(filter.file_include_patterns, entry.name) &&
         !matches_pattern_list(filter.file_skip_patterns, entry.name);
}

int32_t filter_entries(entry_tree& tree, const filter_block& filter, file_entry* parent) noexcept {
  int32_t kept = 0;
  if (parent) {
    for (file_entry* e = parent->first_child; e;) {
      file_entry* following = e->next;
      if (passes_filter(filter, *e))
        ++kept;
      else
        tree.remove(e);
      e = following;
    }
    return kept;
  }
  for (file_entry* e = tree.first(); e;) {
    if (passes_filter(filter, *e)) {
      ++kept;
      e = entry_tree::next_in_preorder(e);
    } else {
      file_entry* following = entry_tree::next_skipping_subtree(e);
      tree.remove(e);
      e = following;
    }
  }
  return kept;
}

// ---- the filter section of settings.ini ----------------------------------------

int read_filter_section(filter_block& filter, const xml_document& document,
                        xml_node* section) noexcept {
  variant text;
  auto read_text = [&](const char* key, variant& field) {
    if (document.element_text(variant(key), section, text)) field = static_cast<variant&&>(text);
  };
  read_text("str_files_include", filter.str_files_include);
  read_text("str_files_skip", filter.str_files_skip);
  read_text("str_folder_include", filter.str_folder_include);
  read_text("str_folder_skip", filter.str_folder_skip);
  build_pattern_lists(filter);

  auto read_number = [&](const char* key, auto& field) {
    if (document.element_text(variant(key), section, text))
      field = static_cast<std::remove_reference_t<decltype(field)>>(text.as_int());
  };
  auto read_flag = [&](const char* key, bool& field) {
    if (document.element_text(variant(key), section, text)) field = text.as_int() != 0;
  };
  read_flag("time_filter", filter.time_filter);
  read_number("time_start", filter.time_start);
  read_number("time_end", filter.time_end);
  // The full 64-bit values, where a newer version wrote them beside the 32-bit
  // ones that 2.0 reads.
  auto read_time = [&](const char* key, time_value& field) {
    if (!document.element_text(variant(key), section, text)) return;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (end != text.c_str()) field = value;
  };
  read_time("time_start64", filter.time_start);
  read_time("time_end64", filter.time_end);
  read_flag("size_filter", filter.size_filter);
  read_number("size_start", filter.size_start);
  read_number("size_end", filter.size_end);
  read_number("size_high_start", filter.size_high_start);
  read_number("size_high_end", filter.size_high_end);
  read_number("att_filter", filter.att_filter);
  read_number("attrs", filter.attrs);
  return 0;
}

int write_filter_section(const filter_block& filter, variant_list& lines) noexcept {
  auto text = [&](const char* key, const variant& value) {
    write_xml_element(variant(key), value, lines);
  };
  // Numbers as signed decimal: an unsigned half of 2^31 or more is negative.
  auto number = [&](const char* key, uint32_t value) {
    write_xml_element(variant(key), variant(static_cast<int32_t>(value)), lines);
  };
  text("str_files_include", filter.str_files_include);
  text("str_files_skip", filter.str_files_skip);
  text("str_folder_include", filter.str_folder_include);
  text("str_folder_skip", filter.str_folder_skip);
  number("time_filter", filter.time_filter ? 1 : 0);
  number("time_start", static_cast<uint32_t>(filter.time_start));
  number("time_end", static_cast<uint32_t>(filter.time_end));
  text("time_start64", variant::of_int64(filter.time_start));
  text("time_end64", variant::of_int64(filter.time_end));
  number("size_filter", filter.size_filter ? 1 : 0);
  number("size_start", filter.size_start);
  number("size_end", filter.size_end);
  number("size_high_start", filter.size_high_start);
  number("size_high_end", filter.size_high_end);
  number("att_filter", filter.att_filter);
  number("attrs", filter.attrs);
  return 0;
}

}  // namespace lumadir
