// remove.exe: takes away what the installer made (the installed files and
// folders, the shortcuts and their menu folder, the folder verb, the uninstall
// entry and the product's registry key), keeping the user's settings.ini,
// filter.txt and format.xml unless asked to remove them too.
//
//   remove.exe [/quiet] [/all]
//
// /quiet asks nothing and shows nothing (for administrators and tests); /all
// removes the user's three files as well.
//
// A running program cannot delete its own file. remove.exe asks the system to
// delete it, and then the emptied installation folder, when the computer next
// starts (a delete-on-reboot request), so nothing of the installation is left.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "base/text_encoding.h"
#include "base/file_system.h"
#include "base/message_box.h"
#include "base/phrase_table.h"
#include "base/registry.h"
#include "base/shell.h"
#include "base/variant_map.h"
#include "setup/install_items.h"

using namespace lumadir;

namespace {

const char title[] = "Lumadir 2.0";

// Phrase ids of remove_lang.xml.
enum : int32_t {
  phrase_confirm = 1,
  phrase_remove_own_files = 2,
  phrase_removed = 3,
  phrase_running = 4,
  phrase_not_installed = 5,
  phrase_needs_administrator = 6,
  phrase_left_behind = 7,
};

// English when the phrase file is missing: removal must work even then.
const char* fallback(int32_t id) {
  switch (id) {
    case phrase_confirm:
      return "Remove Lumadir 2.0 from this computer?";
    case phrase_remove_own_files:
      return "Remove your own settings too (settings.ini, filter.txt and format.xml)?";
    case phrase_removed:
      return "Lumadir 2.0 has been removed.";
    case phrase_running:
      return "Lumadir is running. Close it, then remove it again.";
    case phrase_not_installed:
      return "Lumadir 2.0 is not installed.";
    case phrase_needs_administrator:
      return "Removing Lumadir needs administrator rights.";
    default:
      return "Some files could not be removed: ";
  }
}

phrase_table phrases;
bool phrases_loaded = false;

const char* text(int32_t id) {
  const char* found = phrases_loaded ? phrases.phrase(id) : nullptr;
  return found ? found : fallback(id);
}

bool ask(const char* question) {
  return MessageBoxA(nullptr, question, title, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

variant registry_text(const char* name) {
  variant_map values;
  values.put(variant(name), variant(""));
  read_registry_values(registry_root::local_machine, variant(install_items::product_key), values);
  variant* found = values.find(variant(name));
  return found ? *found : variant("");
}

// Deletes a file; true when it is gone (or was never there).
bool remove_file(const variant& folder, const char* name) {
  variant path = path_in(folder, name);
  return delete_file(path) || !name_exists(path);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  if (!system_speaks_utf8()) {
    MessageBoxA(nullptr, utf8_windows_needed, "Lumadir", MB_ICONERROR | MB_OK);
    return 1;
  }
  const char* args = command_line ? command_line : "";
  const bool quiet = std::strstr(args, "/quiet") != nullptr;
  bool remove_own = std::strstr(args, "/all") != nullptr;

  variant self = own_file_name();
  variant own_folder;
  own_folder.set_left(self, self.find_last(variant('\\')) + 1);
  variant error("");
  phrases_loaded = phrases.load(path_in(own_folder, "remove_lang.xml"), error) == phrase_loaded &&
                   phrases.language_count() > 0;

  if (!process_elevated() && !std::strstr(args, "/elevated")) {
    variant parameters(args);
    parameters.append(" /elevated");
    if (reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "runas", self.c_str(), parameters.c_str(),
                                                nullptr, SW_SHOWNORMAL)) <= 32 &&
        !quiet)
      show_message_box(nullptr, text(phrase_needs_administrator), title, box_error);
    return 0;
  }
  if (FindWindowA("TLumadir", nullptr)) {
    if (!quiet) show_message_box(nullptr, text(phrase_running), title, box_error);
    return 1;
  }
  variant target = registry_text("inst_dir");
  if (target.length() == 0) target = own_folder;
  if (!quiet) {
    if (!ask(text(phrase_confirm))) return 0;
    remove_own = ask(text(phrase_remove_own_files));
  }

  // The files, then the folders' files and the folders.
  bool complete = true;
  for (const auto& item : install_items::files) {
    const char* name =
        std::strcmp(item.name, "setup.exe") == 0 ? install_items::installed_program : item.name;
    if (std::strcmp(name, "remove.exe") == 0) continue;  // last, below
    if (item.flags == install_items::users_own && !remove_own) continue;
    complete = remove_file(target, name) && complete;
  }
  for (const char* folder_name : install_items::folders) {
    variant folder = path_in(target, folder_name);
    entry_tree tree;
    if (find_files(folder, tree, nullptr, true, variant("*.*"))) {
      for (file_entry* e = tree.first(); e; e = e->next)
        if (!e->is_folder) complete = remove_file(folder, e->name.c_str()) && complete;
    }
    set_current_directory(own_folder);
    variant empty = path_in(target, folder_name);
    remove_directory(empty);
  }

  // Shortcuts and the menu folder.
  variant menu = registry_text("icon_dir");
  if (menu.length() > 0) {
    for (const char* shortcut : install_items::shortcuts) remove_file(menu, shortcut);
    remove_directory(menu);
  }
  variant desktop = registry_text("desktop_icon");
  if (desktop.length() > 0) remove_file(desktop, install_items::desktop_shortcut);

  // The registry: the folder verb, the uninstall entry, the product's key, and
  // the maker's key when nothing else of it is left.
  delete_registry_tree(registry_root::classes_root, variant(install_items::folder_verb_key));
  delete_registry_tree(registry_root::local_machine, variant(install_items::uninstall_key));
  delete_registry_tree(registry_root::local_machine, variant(install_items::product_key));
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, install_items::maker_key);  // fails while it holds more
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);

  // This program's own file, then the folder, at the next start when need be.
  variant own = path_in(target, "remove.exe");
  set_current_directory(own_folder);
  if (!delete_file(own) && name_exists(own)) delete_at_restart(own);
  variant folder(target);
  while (folder.length() > 3 && folder.text().data()[folder.length() - 1] == '\\')
    folder.set_length(folder.length() - 1);
  // The folder cannot go while it is this process's current directory.
  variant temporary("");
  if (temporary_folder(temporary) > 0) set_current_directory(temporary);
  if (!remove_directory(folder) && name_exists(folder) && !remove_own) {
    // The user's own files stay, and so does their folder.
  } else if (name_exists(folder)) {
    delete_at_restart(folder);
  }
  // The maker's folder the installer made above it, once nothing else is in it.
  const int32_t slash = folder.find_last(variant('\\'));
  if (slash > 2) {
    variant parent;
    parent.set_left(folder, slash);
    const char* name = parent.c_str() + parent.find_last(variant('\\')) + 1;
    if (lstrcmpiA(name, "VEXA") == 0 && !remove_directory(parent) && name_exists(parent))
      delete_at_restart(parent);
  }

  if (!quiet) {
    if (complete) {
      show_message_box(nullptr, text(phrase_removed), title, box_information);
    } else {
      variant message(text(phrase_left_behind));
      message.append(target);
      show_message_box(nullptr, message.c_str(), title, box_warning);
    }
  }
  return complete ? 0 : 2;
}
