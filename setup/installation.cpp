#include "setup/installation.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "base/file_system.h"
#include "base/phrase_table.h"
#include "base/product.h"
#include "base/registry.h"
#include "base/shell.h"
#include "base/variant_map.h"
#include "setup/folder_security.h"
#include "setup/install_items.h"
#include "setup/install_journal.h"
#include "setup/install_record.h"

namespace lumadir {

namespace items = install_items;

namespace {

file_time now_as_file_time() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<file_time>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool exists(const variant& path) {
  variant p(path);
  return name_exists(p);
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
  if (program.load(path, error) != phrase_load::loaded) return false;
  for (int32_t i = 0; i < program.language_count(); ++i) {
    if (std::strcmp(program.short_names().item_at(i).c_str(), short_name) != 0) continue;
    if (i == 0) return true;
    program.select_language(i);
    return program.write(path) == phrase_write::written;
  }
  return true;
}

}  // namespace

bool installation::add(const variant& name, uint32_t flags, bool folder,
                       variant& missing) noexcept {
  variant path = path_in(source_, name.c_str());
  file_entry facts;
  if (!path_facts(path, facts) || facts.is_folder != folder) {
    if (!(flags & items::required)) return true;  // an optional item that is not there
    missing.assign_text_of(name);
    return false;
  }
  if (count_ == capacity_) {
    const int32_t grown = capacity_ ? capacity_ * 2 : 64;
    std::unique_ptr<install_item[]> more(new (std::nothrow) install_item[grown]);
    if (!more) return false;
    for (int32_t i = 0; i < count_; ++i) {
      more[i].name.assign_text_of(items_[i].name);
      more[i].flags = items_[i].flags;
      more[i].size = items_[i].size;
      more[i].folder = items_[i].folder;
    }
    items_ = std::move(more);
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
  for (const auto& f : items::files)
    if (!add(variant(f.name), f.flags, false, missing)) return false;
  for (const char* folder : items::folders) {
    if (!add(variant(folder), items::folder_flags, true, missing)) return false;
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
      if (!add(name, items::folder_flags, false, missing)) return false;
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

bool installation::fail_on(const variant& item) noexcept {
  failed_item_ = item;
  return false;
}

// The setup.exe of the product folder becomes the installed lumadir.exe.
static const char* installed_name(const install_item& item) {
  return std::strcmp(item.name.c_str(), items::installer_program) == 0 ? items::installed_program
                                                                       : item.name.c_str();
}

bool installation::copy_item(const install_item& item, const variant& target_folder,
                             install_journal& journal) noexcept {
  variant target = path_in(target_folder, installed_name(item));
  variant source = path_in(source_, item.name.c_str());
  const bool present = exists(target);
  const uint32_t wanted = present ? items::copy_when_present : items::copy_when_absent;
  if (item.flags & wanted) {
    // What is there waits aside until the run ends, so that a failure can put
    // it back.
    if (!journal.set_aside(target) || !journal.copy_new(source, target) ||
        !set_file_attributes(target, FILE_ATTRIBUTE_ARCHIVE) ||
        !set_file_times(target, started_, started_))
      return fail_on(target);
    add_path(item.flags == items::users_own ? made_settings_ : made_files_, target);
  }
  if (total_size_ > 0) advance(static_cast<int32_t>(item.size * 74 / total_size_));
  return true;
}

int32_t installation::files_to_replace(const variant& target, variant_list& names) const noexcept {
  names.clear();
  variant folder(target);
  if (!full_target(folder)) return 0;
  variant_list owned;
  read_path_list(made_files_value, owned);
  for (int32_t i = 0; i < count_; ++i) {
    const install_item& item = items_[i];
    if (item.folder || item.flags == items::users_own) continue;
    variant path = path_in(folder, installed_name(item));
    if (exists(path) && !holds_path(owned, path)) names.push(variant(installed_name(item)));
  }
  return names.count();
}

install_result installation::install(variant target, bool desktop_shortcut, bool folder_verb,
                                     const char* chosen_language, install_progress progress,
                                     void* owner, bool replace_others) noexcept {
  report_ = progress;
  owner_ = owner;
  progress_ = 0;
  started_ = now_as_file_time();
  failed_item_ = "";
  not_undone_.clear();
  secured_folder_ = "";

  // Made full before anything is written: a relative folder would otherwise
  // be taken against whatever folder is current at each step.
  if (!full_target(target)) return install_result::cannot_make_folder;
  variant existing(target);
  if (!deepest_existing_folder(existing)) return install_result::free_space_unknown;
  uint64_t free_bytes = 0;
  if (!free_space(existing, free_bytes)) return install_result::free_space_unknown;
  if (free_bytes < total_size_) return install_result::no_room;
  if (!replace_others) {
    variant_list names;
    if (files_to_replace(target, names) > 0) {
      failed_item_ = path_in(target, names.first()->value.c_str());
      return install_result::replace_consent;
    }
  }
  advance(0);

  install_journal journal;
  const install_result result =
      run_steps(target, desktop_shortcut, folder_verb, chosen_language, journal);
  if (result == install_result::done) {
    journal.commit();
    progress_ = 100;
    advance(0);
    return install_result::done;
  }
  journal.undo(not_undone_);
  if (not_undone_.count() == 0) secured_folder_ = "";
  progress_ = 0;
  advance(0);
  return result;
}

install_result installation::run_steps(const variant& target, bool desktop_shortcut,
                                       bool folder_verb, const char* chosen_language,
                                       install_journal& journal) noexcept {
  read_path_list(made_files_value, made_files_);
  read_path_list(made_settings_value, made_settings_);
  read_path_list(made_folders_value, made_folders_);
  variant_map previous;
  previous.put(variant("desktop_icon"), variant(""));
  read_registry_values(registry_root::local_machine, variant(items::product_key), previous);
  const variant old_desktop(*previous.find(variant("desktop_icon")));

  // A new folder outside Program Files would otherwise inherit whatever its
  // parent allows, often that every user may change what is in it.
  const bool outside = !inside_program_files(target);
  if (!journal.make_folder_path(target, outside ? make_folder_with_program_files_rules : nullptr)) {
    failed_item_ = target;
    return install_result::cannot_make_folder;
  }
  const variant& first_made = journal.first_made_folder();
  if (outside) secured_folder_ = first_made;
  if (first_made.length() > 0) {
    // Every level made, parents first, for removal to take away when empty.
    variant level(target);
    variant_list levels;
    while (level.length() >= first_made.length()) {
      levels.push_front(variant(level));
      const int32_t slash = level.find_last(variant('\\'));
      if (slash <= 0) break;
      level.set_length(slash);
    }
    for (variant_list::node* n = levels.first(); n; n = n->next) add_path(made_folders_, n->value);
  }
  if (!journal.open(target)) {
    failed_item_ = target;
    return install_result::copy_failed;
  }
  advance(3);

  for (int32_t i = 0; i < count_; ++i) {
    const install_item& item = items_[i];
    if (item.folder || std::strchr(item.name.c_str(), '\\')) continue;
    if (!copy_item(item, target, journal)) return install_result::copy_failed;
  }
  variant language_file = path_in(target, "vxlang.xml");
  if (chosen_language && !choose_program_language(language_file, chosen_language)) {
    failed_item_ = language_file;
    return install_result::copy_failed;
  }
  for (int32_t i = 0; i < count_; ++i) {
    const install_item& item = items_[i];
    if (item.folder) {
      variant folder = path_in(target, item.name.c_str());
      const bool made = !exists(folder);
      if (!journal.make_folder(folder)) {
        failed_item_ = folder;
        return install_result::copy_failed;
      }
      if (made) add_path(made_folders_, folder);
    } else if (std::strchr(item.name.c_str(), '\\')) {
      if (!copy_item(item, target, journal)) return install_result::copy_failed;
    }
  }

  // Shortcuts: each one there before waits aside, so that a failure later puts
  // it back.
  const variant program = path_in(target, items::installed_program);
  const variant remover = path_in(target, items::remover_program);
  variant programs("");
  if (!programs_folder(programs)) return install_result::shortcut_failed;
  const variant menu = path_in(programs, items::programs_menu_folder);
  if (!journal.make_folder_path(menu)) {
    failed_item_ = menu;
    return install_result::shortcut_failed;
  }
  const auto link = [&](const variant& shortcut, const variant& to) {
    if (!journal.set_aside(shortcut)) return fail_on(shortcut);
    const bool made = make_link(shortcut, to, target);
    if (made || exists(shortcut)) journal.file_made(shortcut);
    return made || fail_on(shortcut);
  };
  if (!link(path_in(menu, items::program_shortcut), program))
    return install_result::shortcut_failed;
  advance(3);

  variant desktop("");
  if (desktop_shortcut && !desktop_folder(desktop)) return install_result::shortcut_failed;
  // The earlier installation's desktop shortcut goes when it is not wanted now
  // (or now lies in another desktop folder).
  if (old_desktop.length() > 0 &&
      (!desktop_shortcut || variant::compare_ignoring_case(old_desktop, desktop) != 0)) {
    variant old_link = path_in(old_desktop, items::desktop_shortcut);
    if (!journal.set_aside(old_link)) {
      failed_item_ = old_link;
      return install_result::shortcut_failed;
    }
  }
  if (desktop_shortcut && !link(path_in(desktop, items::desktop_shortcut), program))
    return install_result::shortcut_failed;
  advance(2);
  if (!link(path_in(menu, items::help_shortcut), path_in(target, "help.html")))
    return install_result::shortcut_failed;
  advance(2);
  if (!link(path_in(menu, items::uninstall_shortcut), remover))
    return install_result::shortcut_failed;
  advance(1);

  // The registry last: it then names only what is in place.
  const auto failed_key = [&](registry_root root, const char* key) {
    failed_item_ =
        root == registry_root::classes_root ? "HKEY_CLASSES_ROOT\\" : "HKEY_LOCAL_MACHINE\\";
    failed_item_.append(key);
    return install_result::registry_failed;
  };
  const registry_root machine = registry_root::local_machine;
  const variant target_slash = path_in(target, "");
  if (!journal.write_text(machine, items::product_key, "inst_dir", target_slash) ||
      !journal.write_text(machine, items::product_key, "icon_dir", menu) ||
      !(desktop_shortcut ? journal.write_text(machine, items::product_key, "desktop_icon", desktop)
                         : journal.delete_value(machine, items::product_key, "desktop_icon")) ||
      !journal.write_multi_text(machine, items::product_key, made_files_value,
                                multi_string_of(made_files_)) ||
      !journal.write_multi_text(machine, items::product_key, made_settings_value,
                                multi_string_of(made_settings_)) ||
      !journal.write_multi_text(machine, items::product_key, made_folders_value,
                                multi_string_of(made_folders_)))
    return failed_key(machine, items::product_key);
  advance(1);

  // The uninstall entry, with what the system's list of programs shows.
  variant quoted("\"");
  quoted.append(remover);
  quoted.append('"');
  variant quiet(quoted);
  quiet.append(" /quiet");
  variant icon(program);
  icon.append(",0");
  if (!journal.write_text(machine, items::uninstall_key, "DisplayName", variant(product_title)) ||
      !journal.write_text(machine, items::uninstall_key, "UninstallString", quoted) ||
      !journal.write_text(machine, items::uninstall_key, "QuietUninstallString", quiet) ||
      !journal.write_text(machine, items::uninstall_key, "DisplayVersion",
                          variant(product_version)) ||
      !journal.write_text(machine, items::uninstall_key, "Publisher", variant(company_name)) ||
      !journal.write_text(machine, items::uninstall_key, "DisplayIcon", icon) ||
      !journal.write_text(machine, items::uninstall_key, "InstallLocation", target_slash) ||
      !journal.write_number(machine, items::uninstall_key, "EstimatedSize",
                            static_cast<uint32_t>((total_size_ + 1023) / 1024)) ||
      !journal.write_number(machine, items::uninstall_key, "NoModify", 1) ||
      !journal.write_number(machine, items::uninstall_key, "NoRepair", 1))
    return failed_key(machine, items::uninstall_key);
  advance(2);

  // The folder verb, or an earlier installation's taken away.
  const registry_root classes = registry_root::classes_root;
  if (folder_verb) {
    if (!journal.write_text(classes, items::folder_verb_command_key, "",
                            folder_verb_command(program)))
      return failed_key(classes, items::folder_verb_command_key);
  } else if (!journal.delete_key(classes, items::folder_verb_command_key) ||
             !journal.delete_key(classes, items::folder_verb_key)) {
    return failed_key(classes, items::folder_verb_key);
  }
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  advance(1);
  return install_result::done;
}

void normalize_target(variant& target) noexcept {
  to_backslashes(target);
  while (target.length() > 0 && target.text().data()[target.length() - 1] == '\\')
    target.set_length(target.length() - 1);
  if (target.length() == 2 && target.text().data()[1] == ':') target.append('\\');
}

bool full_target(variant& target) noexcept {
  normalize_target(target);
  if (target.length() == 0 || !make_full_path(target)) return false;
  normalize_target(target);
  return true;
}

bool folder_holds_anything(const variant& folder) noexcept {
  variant path(folder);
  file_entry facts;
  if (!path_facts(path, facts) || !facts.is_folder) return false;
  // The listing makes the folder current; a relative target typed later is
  // still taken against the installer's own folder.
  wchar_t current[MAX_PATH + 1] = {};
  const DWORD kept = GetCurrentDirectoryW(MAX_PATH + 1, current);
  entry_tree tree;
  const bool read = find_files(path, tree, nullptr, true, variant("*"));
  if (kept > 0 && kept <= MAX_PATH) SetCurrentDirectoryW(current);
  return read && tree.first() != nullptr;
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
  if (read_registry_values(registry_root::local_machine, variant(items::product_key), values)) {
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
  target = path_in(program_files, items::default_folder);
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
