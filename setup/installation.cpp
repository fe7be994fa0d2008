#include "setup/installation.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "base/file_system.h"
#include "base/phrase_table.h"
#include "base/registry.h"
#include "base/shell.h"
#include "base/variant_map.h"
#include "setup/install_items.h"

namespace lumadir {

const char product_key[] = "Software\\VEXA\\LMD1";
const char uninstall_key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vlmd1";
const char folder_verb_key[] = "folder\\shell\\Print listing with Lumadir\\command";
const char programs_menu_folder[] = "VEXA Lumadir";
static_assert(sizeof product_key == sizeof install_items::product_key);

namespace {

constexpr uint32_t both_cases = install_items::always;

file_time now_as_file_time() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<file_time>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool write_value(registry_root root, const char* key, const char* name, const variant& value) {
  variant_map values;
  values.put(variant(name), value);
  return write_registry_values(root, variant(key), values);
}

// Creates the folder and each missing parent, from the drive down.
bool make_folder_path(const variant& folder) {
  const char* p = folder.c_str();
  const int32_t length = folder.length();
  for (int32_t i = 0; i <= length; ++i) {
    if (i < length && p[i] != '\\') continue;
    if (i == 0 || (i == 2 && p[1] == ':')) continue;  // the drive itself
    variant part;
    part.set_left(folder, i);
    create_directory(part);
  }
  variant check(folder);
  file_entry facts;
  return path_facts(check, facts) && facts.is_folder;
}

bool make_link(const variant& shortcut, const variant& target, const variant& working) {
  shortcut_request request;
  request.shortcut_path = shortcut;
  request.target_path = target;
  request.working_folder = working;
  request.icon_file = target;
  return make_shortcut(request);
}

// The installer's own phrase file holds the installer's words, whose ids are
// not the program's: writing it out as vxlang.xml would give the program the
// installer's texts. So the chosen language is picked from the program's own
// vxlang.xml by its short name and written first; a language the program does
// not speak leaves the file as it was.
bool choose_program_language(const variant& path, const char* short_name) {
  phrase_table program;
  variant error("");
  if (program.load(path, error) != phrase_loaded) return false;
  for (int32_t i = 0; i < program.language_count(); ++i) {
    if (std::strcmp(program.short_names().item_at(i).c_str(), short_name) != 0) continue;
    if (i == 0) return true;
    program.select_language(i);
    return program.write(path) == phrase_written;
  }
  return true;
}

}  // namespace

installation::~installation() {
  delete[] items_;
}

bool installation::add(const variant& name, uint32_t flags, bool folder,
                       variant& missing) noexcept {
  variant path = path_in(source_, name.c_str());
  file_entry facts;
  if (!path_facts(path, facts) || facts.is_folder != folder) {
    if (!(flags & item_required)) return true;  // an optional item that is not there
    missing.assign_text_of(name);
    return false;
  }
  if (count_ == capacity_) {
    const int32_t grown = capacity_ ? capacity_ * 2 : 64;
    install_item* more = new (std::nothrow) install_item[grown];
    if (!more) return false;
    for (int32_t i = 0; i < count_; ++i) {
      more[i].name.assign_text_of(items_[i].name);
      more[i].flags = items_[i].flags;
      more[i].size = items_[i].size;
      more[i].folder = items_[i].folder;
    }
    delete[] items_;
    items_ = more;
    capacity_ = grown;
  }
  install_item& item = items_[count_++];
  item.name.assign_text_of(name);
  item.flags = flags;
  item.folder = folder;
  item.size = folder ? 0 : facts.size;
  total_size_ += item.size;
  return true;
}

bool installation::build_list(const variant& source_folder, variant& missing) noexcept {
  source_.assign_text_of(source_folder);
  count_ = 0;
  total_size_ = 0;
  for (const auto& f : install_items::files)
    if (!add(variant(f.name), f.flags, false, missing)) return false;
  for (const char* folder : install_items::folders) {
    if (!add(variant(folder), install_items::folder_flags, true, missing)) return false;
    // Every file directly inside, with the folder's flags.
    variant inside = path_in(source_, folder);
    entry_tree tree;
    variant current("");
    if (!find_files(inside, tree, nullptr, true, variant("*.*"))) continue;
    for (file_entry* e = tree.first(); e; e = e->next) {
      if (e->is_folder) continue;
      variant name(folder);
      name.append('\\');
      name.append(e->name);
      if (!add(name, both_cases, false, missing)) return false;
    }
  }
  // The walk above moved the current directory; the source folder is home.
  set_current_directory(source_);
  return true;
}

void installation::advance(int32_t points) noexcept {
  progress_ += points;
  if (report_) report_(owner_, progress_ > 100 ? 100 : progress_);
}

bool installation::copy_item(const install_item& item, const variant& target_folder) noexcept {
  variant target = path_in(target_folder, item.name.c_str());
  variant source = path_in(source_, item.name.c_str());
  const bool present = name_exists(target);
  const uint32_t wanted = present ? copy_when_present : copy_when_absent;
  if (item.flags & wanted) {
    if (!copy_file(source, target, true)) return false;
    if (!set_file_attributes(target, FILE_ATTRIBUTE_ARCHIVE)) return false;
    if (!set_file_times(target, started_, started_)) return false;
  }
  if (total_size_ > 0) advance(static_cast<int32_t>(item.size * 74 / total_size_));
  return true;
}

int32_t installation::install(variant target, bool desktop_shortcut, bool folder_verb,
                              const char* chosen_language, install_progress progress,
                              void* owner) noexcept {
  report_ = progress;
  owner_ = owner;
  progress_ = 0;
  started_ = now_as_file_time();

  normalize_target(target);
  variant existing(target);
  if (!deepest_existing_folder(existing)) return phrase_no_free_space_answer;
  uint64_t free_bytes = 0;
  if (!free_space(existing, free_bytes)) return phrase_no_free_space_answer;
  if (free_bytes < total_size_) return phrase_no_room;
  advance(0);

  if (!make_folder_path(target)) return phrase_cannot_make_folder;
  const variant target_slash = path_in(target, "");
  if (make_registry_key_path(registry_root::local_machine, variant(product_key)) < 0)
    return phrase_registry_failed;
  advance(2);
  if (!write_value(registry_root::local_machine, product_key, "inst_dir", target_slash))
    return phrase_registry_failed;
  advance(1);

  for (int32_t i = 0; i < count_; ++i) {
    const install_item& item = items_[i];
    if (item.folder || std::strchr(item.name.c_str(), '\\')) continue;
    if (!copy_item(item, target)) return phrase_copy_failed;
  }
  if (chosen_language && !choose_program_language(path_in(target, "vxlang.xml"), chosen_language))
    return phrase_copy_failed;

  variant program = path_in(target, "lumadir.exe");
  variant copied_setup = path_in(target, "setup.exe");
  delete_file(program);
  if (!move_file(copied_setup, program)) return phrase_copy_failed;

  for (int32_t i = 0; i < count_; ++i) {
    const install_item& item = items_[i];
    if (item.folder) {
      variant folder = path_in(target, item.name.c_str());
      if (!create_directory(folder) && !name_exists(folder)) return phrase_copy_failed;
    } else if (std::strchr(item.name.c_str(), '\\')) {
      if (!copy_item(item, target)) return phrase_copy_failed;
    }
  }

  variant programs("");
  if (!programs_folder(programs)) return phrase_shortcut_failed;
  variant menu = path_in(programs, programs_menu_folder);
  if (!make_folder_path(menu)) return phrase_shortcut_failed;
  if (!write_value(registry_root::local_machine, product_key, "icon_dir", menu))
    return phrase_registry_failed;
  if (!make_link(path_in(menu, "VEXA Lumadir.lnk"), program, target)) return phrase_shortcut_failed;
  advance(3);

  if (desktop_shortcut) {
    variant desktop("");
    if (desktop_folder(desktop) && make_link(path_in(desktop, "VEXA Lumadir.lnk"), program, target))
      write_value(registry_root::local_machine, product_key, "desktop_icon", desktop);
  }
  advance(2);

  if (folder_verb) {
    // Each level in turn; a last level that cannot be made skips the verb.
    if (make_registry_key_path(registry_root::classes_root, variant(folder_verb_key)) >= 0) {
      write_value(registry_root::classes_root, folder_verb_key, "", folder_verb_command(program));
      SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    }
  }
  advance(3);

  make_link(path_in(menu, "Help.lnk"), path_in(target, "help.html"), target);
  advance(2);
  variant remover = path_in(target, "remove.exe");
  make_link(path_in(menu, "Uninstall.lnk"), remover, target);
  advance(1);

  // The uninstall entry, with what the system's list of programs shows.
  if (make_registry_key_path(registry_root::local_machine, variant(uninstall_key)) < 0)
    return phrase_registry_failed;
  variant_map entry;
  entry.put(variant("DisplayName"), variant("Lumadir 2.0"));
  entry.put(variant("UninstallString"), remover);
  variant quiet("\"");
  quiet.append(remover);
  quiet.append("\" /quiet");
  entry.put(variant("QuietUninstallString"), quiet);
  entry.put(variant("DisplayVersion"), variant("2.0"));
  entry.put(variant("Publisher"), variant("VEXA"));
  variant icon(program);
  icon.append(",0");
  entry.put(variant("DisplayIcon"), icon);
  entry.put(variant("InstallLocation"), target_slash);
  entry.put(variant("EstimatedSize"), variant(static_cast<int32_t>((total_size_ + 1023) / 1024)));
  entry.put(variant("NoModify"), variant(1));
  entry.put(variant("NoRepair"), variant(1));
  if (!write_registry_values(registry_root::local_machine, variant(uninstall_key), entry))
    return phrase_registry_failed;
  progress_ = 100;
  advance(0);
  return install_done;
}

void normalize_target(variant& target) noexcept {
  to_backslashes(target);
  while (target.length() > 0 && target.text().data()[target.length() - 1] == '\\')
    target.set_length(target.length() - 1);
  if (target.length() == 2 && target.text().data()[1] == ':') target.append('\\');
}

variant shortened_target(const variant& target) noexcept {
  variant shown;
  shown.assign_text_of(target);
  const char* p = shown.c_str();
  const int32_t length = shown.length();
  if (length <= 60 || length < 3 || p[1] != ':') return shown;
  variant cut;
  cut.assign(p, 2);
  cut.append("\\...");
  cut.append(p + length - 54, 54);
  return cut;
}

bool default_target(variant& target, bool& previous) noexcept {
  previous = false;
  variant_map values;
  values.put(variant("inst_dir"), variant(""));
  if (read_registry_values(registry_root::local_machine, variant(product_key), values)) {
    const variant* found = values.find(variant("inst_dir"));
    if (found && found->length() > 0) {
      target.assign_text_of(*found);
      normalize_target(target);
      previous = true;
      return true;
    }
  }
  variant program_files("");
  if (!program_files_folder(program_files)) return false;
  target = path_in(program_files, "VEXA\\LMD1");
  return true;
}

variant folder_verb_command(const variant& program) noexcept {
  variant command("");
  const char* p = program.c_str();
  if (p[0] == '"') {
    command.assign_text_of(program);
  } else {
    command = "\"";
    for (; *p; ++p) {
      if (*p == '"') command.append('\\');
      command.append(*p);
    }
    command.append('"');
  }
  command.append(" \"%1\"");
  return command;
}

variant kilobytes_text(uint64_t bytes) noexcept {
  number_format format;
  load_number_format(format);
  const variant kilobytes = variant::of_int64(static_cast<int64_t>((bytes + 1023) / 1024));
  variant text = number_text(kilobytes, format);
  release_number_format(format);
  return text;
}

}  // namespace lumadir
