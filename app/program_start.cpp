#include "app/program_start.h"

#include <cstdlib>
#include <ctime>
#include <memory>
#include <new>

#include "app/window_setup.h"
#include "base/entry_tree.h"
#include "base/file_system.h"
#include "base/message_box.h"
#include "base/owned.h"
#include "base/phrase_table.h"
#include "base/product.h"
#include "base/regex_binding.h"
#include "engine/phrase_ids.h"

namespace lumadir {

namespace {

// A data file of the program folder, by its full path: the current directory
// moves with every folder a listing reads.
variant data_file(const variant& folder, const char* name) {
  variant path(folder);
  path.append(name);
  return path;
}

// Loads a phrase file that the program can work with. A file whose "langs"
// element is empty loads as an empty table, which would leave every word of
// the windows, or all of the listing's markup, blank: it counts as a file
// without languages.
phrase_load usable_phrases(phrase_table& table, const variant& path, variant& error_text) {
  const phrase_load loaded = table.load(path, error_text);
  if (loaded != phrase_load::loaded || table.language_count() > 0) return loaded;
  error_text = "No languages found";
  return phrase_load::no_languages;
}

}  // namespace

program_place split_program_path(const variant& path) noexcept {
  program_place place;
  place.path.assign_text_of(path);
  const int32_t slash = place.path.find_last(variant('\\'));
  if (slash < 0) {
    place.file_name = place.path;
  } else {
    place.folder.set_left(place.path, slash + 1);
    place.file_name.assign(place.path.c_str() + slash + 1, place.path.length() - slash - 1);
  }
  place.file_name.to_lower();
  return place;
}

bool first_token(const char* command_line, variant& token) noexcept {
  token = "";
  if (!command_line) return false;
  const char* p = command_line;
  while (*p == ' ') ++p;
  if (*p == '"') {
    const char* start = ++p;
    while (*p && *p != '"') ++p;
    token.assign(start, static_cast<int32_t>(p - start));
  } else {
    for (; *p && *p != ' '; ++p)
      if (*p != '"') token.append(*p);
  }
  return token.length() > 0;
}

bool names_folder(variant& token) noexcept {
  file_entry facts;
  return path_facts(token, facts) && facts.is_folder;
}

void show_load_error(phrase_load code, variant& error_text) noexcept {
  describe_load_error(code, error_text);
  show_message_box(nullptr, error_text.c_str(), "Error", box_error);
}

int run_program(const char* command_line) noexcept {
  const program_place place = split_program_path(own_file_name());
  variant current(place.folder);
  set_current_directory(current);
  const bool installer = place.file_name == variant("setup.exe");
  std::srand(static_cast<unsigned>(std::time(nullptr)));

  if (!load_regex_library()) {
    show_message_box(nullptr, "Can't load vx_regex.dll", product_title, box_error);
    return 0;
  }
  std::unique_ptr<phrase_table> language;
  std::unique_ptr<phrase_table> format;
  about_box* about = nullptr;
  // Every way out from here releases in this order.
  const scope_exit teardown([&] {
    language.reset();
    format.reset();
    unload_regex_library();
    destroy_about_box(about);
  });

  language.reset(new (std::nothrow) phrase_table);
  if (!language) return 0;
  variant error_text("");
  const phrase_load loaded = usable_phrases(
      *language, data_file(place.folder, installer ? "setup_lang.xml" : "vxlang.xml"), error_text);
  if (loaded != phrase_load::loaded) {
    show_load_error(loaded, error_text);
    return 0;
  }

  if (installer) {
    run_installer(*language, place.folder, command_line);
    return 0;
  }
  if (!(place.file_name == variant("lumadir.exe"))) return 0;

  format.reset(new (std::nothrow) phrase_table);
  const phrase_load format_loaded =
      format ? usable_phrases(*format, data_file(place.folder, "format.xml"), error_text)
             : phrase_load::cannot_open;
  if (format_loaded != phrase_load::loaded) {
    variant message(language->phrase_text(phrase_id::format_unloadable));
    message.append(error_text);
    show_message_box(nullptr, message.c_str(), product_title, box_error);
    return 0;
  }

  about = run_listing_program(place.folder, *language, *format, command_line);
  return 0;
}

}  // namespace lumadir
