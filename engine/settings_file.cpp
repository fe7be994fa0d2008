#include "engine/settings_file.h"

#include "base/file_system.h"
#include "base/regex_binding.h"
#include "base/xml_reader.h"
#include "engine/filter.h"

namespace lumadir {

namespace {

// The lookups of one read: elements at the top level, or under `section`.
class settings_reader {
 public:
  settings_reader(const xml_document& document, xml_node* section)
      : document_(document), section_(section) {}

  bool text(const char* key, variant& field) {
    variant value;
    if (!document_.element_text(variant(key), section_, value)) return false;
    field = static_cast<variant&&>(value);
    return true;
  }
  template <typename Number>
  void number(const char* key, Number& field) {
    variant value;
    if (text(key, value)) field = static_cast<Number>(value.as_int());
  }
  // A multi-line value split at "\r?\n"; false when the element is missing.
  bool lines(const char* key, variant_list& field) {
    variant value;
    if (!text(key, value)) return false;
    field.clear();
    regex_split("\r?\n", value, field);
    return true;
  }
  void font(const char* prefix, font_style& font) {
    const variant base(prefix);
    auto key = [&](const char* suffix) {
      variant k(base);
      k.append(suffix);
      return k;
    };
    number(key("color").c_str(), font.color);
    number(key("size").c_str(), font.size);
    number(key("style").c_str(), font.style);
    number(key("weight").c_str(), font.weight);
    text(key("name").c_str(), font.name);
  }

 private:
  const xml_document& document_;
  xml_node* section_;
};

}  // namespace

int read_settings(listing_settings& s, const variant& path) noexcept {
  xml_document document;
  variant error;
  const xml_load loaded = document.load(path, error);
  if (loaded == xml_load::cannot_open) return settings_cannot_open;
  if (loaded != xml_load::loaded) return settings_malformed;

  if (xml_node* filter = document.find(variant("filter")))
    read_filter_section(s.filter, document, filter);

  settings_reader top(document, nullptr);
  top.number("order_files", s.order_files);
  top.number("sort_order", s.sort_order);
  top.number("show_folders", s.show_folders);
  top.number("subfolders_level", s.subfolders_level);
  top.number("show_folder_summary", s.show_folder_summary);
  top.number("show_global_summary", s.show_global_summary);
  top.number("recursive_options", s.recursive_options);
  top.number("follow_folder_links", s.follow_folder_links);
  top.number("output_type", s.output_type);
  top.number("remove_extension_from_name", s.remove_extension_from_name);
  top.number("show_times", s.show_times);
  top.number("size_units", s.size_units);

  if (!top.lines("columns", s.columns)) return settings_malformed;
  if (s.columns.count() != 4 * s.column_slots) return settings_malformed;

  top.number("body_background", s.body_background);
  top.font("folder_font-", s.folder_font);
  top.number("folder_background", s.folder_background);
  top.font("file_font-", s.file_font);
  top.number("file_background_odd", s.file_background_odd);
  top.number("file_background_even", s.file_background_even);
  if (top.lines("custom_colors", s.custom_colors)) {
    for (auto* n = s.custom_colors.first(); n;) {
      auto* following = n->next;
      if (n->value.length() == 0) s.custom_colors.remove(n);
      n = following;
    }
  }
  top.number("enable_internal_viewer", s.enable_internal_viewer);
  top.number("preview_width", s.preview_width);
  top.number("preview_height", s.preview_height);
  top.number("preview_left", s.preview_left);
  top.number("preview_top", s.preview_top);
  top.text("source_path", s.source_path);
  top.text("save_as_path", s.save_as_path);
  top.number("action", s.action);
  return settings_read;
}

void settings_lines(const listing_settings& s, variant_list& lines) noexcept {
  lines.clear();
  auto element = [&](const char* key, const variant& value) {
    write_xml_element(variant(key), value, lines);
  };
  auto number = [&](const char* key, int64_t value) {
    element(key, variant(static_cast<int32_t>(value)));  // the 32 bits, signed
  };
  auto joined = [&](const char* key, const variant_list& list) {
    element(key, list.join(variant("\r\n")));
  };
  auto font = [&](const char* prefix, const font_style& f) {
    auto key = [&](const char* suffix) {
      variant k(prefix);
      k.append(suffix);
      return k;
    };
    number(key("color").c_str(), f.color);
    number(key("size").c_str(), f.size);
    number(key("style").c_str(), f.style);
    number(key("weight").c_str(), f.weight);
    element(key("name").c_str(), f.name);
  };

  lines.push(variant("<filter>\r\n"));
  write_filter_section(s.filter, lines);
  lines.push(variant("</filter>\r\n"));
  number("order_files", s.order_files);
  number("sort_order", s.sort_order);
  number("show_folder_summary", s.show_folder_summary);
  number("show_global_summary", s.show_global_summary);
  number("show_folders", s.show_folders);
  number("remove_extension_from_name", s.remove_extension_from_name);
  number("size_units", s.size_units);
  number("show_times", s.show_times);
  joined("columns", s.columns);
  number("body_background", s.body_background);
  font("folder_font-", s.folder_font);
  number("folder_background", s.folder_background);
  font("file_font-", s.file_font);
  number("file_background_odd", s.file_background_odd);
  number("file_background_even", s.file_background_even);
  element("source_path", s.source_path);
  element("save_as_path", s.save_as_path);
  number("subfolders_level", s.subfolders_level);
  number("action", s.action);
  joined("custom_colors", s.custom_colors);
  number("preview_width", s.preview_width);
  number("preview_height", s.preview_height);
  number("preview_left", s.preview_left);
  number("preview_top", s.preview_top);
  number("enable_internal_viewer", s.enable_internal_viewer);
  number("recursive_options", s.recursive_options);
  number("follow_folder_links", s.follow_folder_links);
  number("output_type", s.output_type);
}

int write_settings(const listing_settings& settings, const variant& path) noexcept {
  variant_list lines;
  settings_lines(settings, lines);
  variant target(path);
  to_backslashes(target);
  variant fresh(target);
  fresh.append(".new");
  if (!write_whole_file(fresh, variant("w"), lines)) {
    delete_file(fresh);
    return 1;
  }
  if (!replace_file(fresh, target)) {
    delete_file(fresh);
    return 1;
  }
  return 0;
}

}  // namespace lumadir
