#include "remove/removal.h"

#include <windows.h>
#include <shlobj.h>

#include "base/file_system.h"
#include "base/owned_win.h"
#include "base/text_encoding.h"
#include "base/registry.h"
#include "base/variant_map.h"
#include "setup/install_items.h"
#include "setup/install_keys.h"
#include "setup/install_record.h"

namespace lumadir {

namespace {

variant product_value(const char* name) {
  variant_map values;
  values.put(variant(name), variant(""));
  read_registry_values(registry_root::local_machine, variant(install_items::product_key), values);
  const variant* found = values.find(variant(name));
  return found ? *found : variant("");
}

bool exists(const variant& path) {
  variant p(path);
  return name_exists(p);
}

// Whether two names are one file: remove.exe may have been started by another
// name for it (a drive letter that stands for a folder, a short name).
bool same_file(const variant& a, const variant& b) {
  BY_HANDLE_FILE_INFORMATION facts[2] = {};
  const variant* names[2] = {&a, &b};
  for (int i = 0; i < 2; ++i) {
    utf16_text name;
    if (!name.assign_wtf8(names[i]->c_str(), names[i]->length())) return false;
    const owned_file_handle file(CreateFileW(reinterpret_cast<const wchar_t*>(name.data()), 0,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file || !GetFileInformationByHandle(file.get(), &facts[i])) return false;
  }
  return facts[0].dwVolumeSerialNumber == facts[1].dwVolumeSerialNumber &&
         facts[0].nFileIndexHigh == facts[1].nFileIndexHigh &&
         facts[0].nFileIndexLow == facts[1].nFileIndexLow;
}

// Deletes a file; true when it is gone (or was never there).
bool remove_file(const variant& path) {
  variant p(path);
  return delete_file(p) || !name_exists(p);
}

// Deletes the file, or names it in the report.
void remove_or_report(const variant& path, removal_report& report) {
  if (!remove_file(path)) report.left.push_copy(path);
}

// The folder's entries, each checked against `pending` (what goes when the
// system next starts): true when it holds nothing else. The listing makes the
// folder current; the caller's current folder is given back.
bool holds_only(const variant& folder, const variant_list& pending, variant& home) {
  variant path(folder);
  entry_tree tree;
  const bool read = find_files(path, tree, nullptr, true, variant("*"));
  set_current_directory(home);
  if (!read) return false;
  for (file_entry* e = tree.first(); e; e = e->next)
    if (!holds_path(pending, path_in(folder, e->name.c_str()))) return false;
  return true;
}

// Empty folders of the per-user settings go; a folder the user keeps other
// things in stays.
void remove_if_empty(const variant& folder) {
  variant p(folder);
  remove_directory(p);
}

// What stays is recorded again, so that a later removal finds it and takes
// no file of the same name that is not the installation's any more. False
// when the record could not be written.
[[nodiscard]] bool record_what_is_left(const variant_list& files, const variant_list& settings) {
  const owned_key key =
      install_keys::open(registry_root::local_machine, install_items::product_key, KEY_SET_VALUE);
  if (!key) return false;
  const auto write = [&](const char* name, const variant_list& paths) {
    const variant data = multi_string_of(paths);
    return RegSetValueExA(key.get(), name, 0, REG_MULTI_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.length())) == ERROR_SUCCESS;
  };
  const bool files_written = write(made_files_value, files);
  const bool settings_written = write(made_settings_value, settings);
  return files_written && settings_written;
}

}  // namespace

bool registered_installation(variant& folder) noexcept {
  folder = product_value("inst_dir");
  return folder.length() > 0;
}

bool remove_installation(const removal_request& request, removal_report& report) noexcept {
  variant target("");
  if (!registered_installation(target)) return false;
  // Never inside a folder that is to go: a current folder cannot be removed.
  variant home("");
  if (temporary_folder(home) == 0) home = "C:\\";
  set_current_directory(home);

  variant_list files, settings, folders;
  if (!read_path_list(made_files_value, files)) report.unrecorded_folder = target;
  read_path_list(made_settings_value, settings);
  read_path_list(made_folders_value, folders);

  // The files, remove.exe itself last (below).
  bool own_recorded = false;
  variant own("");  // remove.exe by its recorded name
  variant_list files_left, settings_left;
  for (variant_list::node* n = files.first(); n; n = n->next) {
    if (variant::compare_ignoring_case(n->value, request.own_file) == 0 ||
        same_file(n->value, request.own_file)) {
      own_recorded = true;
      own = n->value;
    } else if (!remove_file(n->value)) {
      report.left.push_copy(n->value);
      files_left.push_copy(n->value);
    }
  }
  for (variant_list::node* n = settings.first(); n; n = n->next) {
    if (!request.users_own) {
      settings_left.push_copy(n->value);
    } else if (!remove_file(n->value)) {
      report.left.push_copy(n->value);
      settings_left.push_copy(n->value);
    }
  }
  if (request.users_own) {
    // Where the program keeps settings.ini when its own folder is not
    // writable (app/settings_place.h), and the file it writes before the swap.
    variant data("");
    if (user_data_folder(data)) {
      const variant vexa = path_in(data, "VEXA");
      const variant settings = path_in(vexa, "Lumadir");
      remove_or_report(path_in(settings, "settings.ini"), report);
      remove_or_report(path_in(settings, "settings.ini.new"), report);
      remove_if_empty(settings);
      remove_if_empty(vexa);
    }
  }

  // Shortcuts and their menu folder.
  const variant menu = product_value("icon_dir");
  if (menu.length() > 0) {
    for (const char* shortcut : install_items::shortcuts)
      remove_or_report(path_in(menu, shortcut), report);
    variant folder(menu);
    const variant_list nothing;
    if (exists(folder) && !remove_directory(folder) && holds_only(folder, nothing, home))
      report.left.push_copy(menu);
  }
  const variant desktop = product_value("desktop_icon");
  if (desktop.length() > 0)
    remove_or_report(path_in(desktop, install_items::desktop_shortcut), report);

  const variant verb(install_items::folder_verb_key);
  if (install_keys::exists(registry_root::classes_root, install_items::folder_verb_key)) {
    delete_registry_tree(registry_root::classes_root, verb);
    report.folder_verb_left =
        install_keys::exists(registry_root::classes_root, install_items::folder_verb_key);
  }
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);

  if (report.left.count() > 0 || report.folder_verb_left) {
    // The installation stays registered with what is left of it, remove.exe
    // included, so that the removal can be run again.
    if (own_recorded) files_left.push_copy(own);
    // A record that still names what is gone would one day take a file of
    // that name that is not the installation's: the key is named as left.
    if (!record_what_is_left(files_left, settings_left)) report.product_key_left = true;
    return false;
  }

  delete_registry_tree(registry_root::local_machine, variant(install_items::uninstall_key));
  report.uninstall_entry_left =
      install_keys::exists(registry_root::local_machine, install_items::uninstall_key);
  delete_registry_tree(registry_root::local_machine, variant(install_items::product_key));
  report.product_key_left =
      install_keys::exists(registry_root::local_machine, install_items::product_key);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, install_items::maker_key);  // fails while it holds more

  // remove.exe, and the folders the installations made, deepest first; what
  // holds only what waits for the next start waits too.
  variant_list pending;
  if (own_recorded) {
    if (!delete_file(own) && name_exists(own)) {
      if (delete_at_restart(own))
        pending.push_copy(own);
      else
        report.left.push_copy(own);
    }
  }
  while (folders.count() > 0) {
    variant_list::node* deepest = folders.first();
    for (variant_list::node* n = folders.first(); n; n = n->next)
      if (n->value.length() > deepest->value.length()) deepest = n;
    variant folder(deepest->value);
    folders.remove(deepest);
    if (remove_directory(folder) || !exists(folder)) continue;
    if (!holds_only(folder, pending, home)) continue;  // the user's files keep it
    if (delete_at_restart(folder))
      pending.push_copy(folder);
    else
      report.left.push_copy(folder);
  }
  return report.complete();
}

}  // namespace lumadir
