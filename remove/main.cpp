// remove.exe: takes away what the installer made (the files and folders it
// recorded, the shortcuts and their menu folder, the folder verb, the uninstall
// entry and the product's registry key), keeping the user's settings.ini,
// filter.txt and format.xml unless asked to remove them too. What removal does
// is remove/removal.h; this file asks and tells.
//
//   remove.exe [/quiet] [/all]
//
// /quiet asks nothing and shows nothing (for administrators and tests); /all
// removes the user's three files and the per-user settings folder as well.
//
// Exit codes: 0 removed; 1 Lumadir is running; 2 parts could not be removed
// (they stay registered, so the removal can run again); 3 nothing is
// installed; 4 the user declined; 5 administrator rights were not given.
//
// A running program cannot delete its own file. remove.exe asks the system to
// delete it, and then the emptied installation folder, when the computer next
// starts (a delete-on-reboot request), so nothing of the installation is left.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "base/text_encoding.h"
#include "base/file_system.h"
#include "base/message_box.h"
#include "base/owned_win.h"
#include "base/phrase_table.h"
#include "base/product.h"
#include "base/shell.h"
#include "remove/removal.h"

using namespace lumadir;

namespace {

// Phrase ids of remove_lang.xml.
enum : int32_t {
  phrase_confirm = 1,
  phrase_remove_own_files = 2,
  phrase_removed = 3,
  phrase_running = 4,
  phrase_not_installed = 5,
  phrase_needs_administrator = 6,
  phrase_left_behind = 7,
  phrase_try_again = 8,
  phrase_folder_verb = 9,
  phrase_uninstall_entry = 10,
  phrase_product_key = 11,
  phrase_unrecorded = 12,
};

enum : int {
  exit_removed = 0,
  exit_running = 1,
  exit_incomplete = 2,
  exit_not_installed = 3,
  exit_declined = 4,
  exit_no_rights = 5,
};

// English when the phrase file is missing: removal must work even then.
const char* fallback(int32_t id) {
  switch (id) {
    case phrase_confirm:
      return "Remove " LUMADIR_PRODUCT_TITLE " from this computer?";
    case phrase_remove_own_files:
      return "Remove your own settings too (settings.ini, filter.txt and format.xml)?";
    case phrase_removed:
      return LUMADIR_PRODUCT_TITLE " has been removed.";
    case phrase_running:
      return "Lumadir is running. Close it, then remove it again.";
    case phrase_not_installed:
      return LUMADIR_PRODUCT_TITLE " is not installed.";
    case phrase_needs_administrator:
      return "Removing Lumadir needs administrator rights.";
    case phrase_left_behind:
      return LUMADIR_PRODUCT_TITLE " could not be removed completely. These parts are still there:";
    case phrase_try_again:
      return "Close any program that may use them, then remove Lumadir again.";
    case phrase_folder_verb:
      return "the entry \"Print listing with Lumadir\" of every folder's context menu";
    case phrase_uninstall_entry:
      return "the entry in the list of installed programs";
    case phrase_product_key:
      return "the registry key HKEY_LOCAL_MACHINE\\Software\\VEXA\\LMD1";
    default:
      return "files of an installation that did not record them, in ";
  }
}

phrase_table phrases;
bool phrases_loaded = false;

const char* text(int32_t id) {
  const char* found = phrases_loaded ? phrases.phrase(id) : nullptr;
  return found ? found : fallback(id);
}

bool ask(const char* question) {
  return MessageBoxA(nullptr, question, product_title, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// Starts this program again with administrator rights and waits for it: its
// exit code is the answer, for a caller such as the system's list of programs.
// False when it could not be started (the rights were refused).
bool run_elevated(const variant& self, const char* args, int& code) {
  variant parameters(args);
  parameters.append(" /elevated");
  SHELLEXECUTEINFOA run = {};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_NOCLOSEPROCESS;
  run.lpVerb = "runas";
  run.lpFile = self.c_str();
  run.lpParameters = parameters.c_str();
  run.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&run)) return false;
  const owned_handle process(run.hProcess);
  if (!process) return false;
  WaitForSingleObject(process.get(), INFINITE);
  DWORD result = exit_no_rights;
  GetExitCodeProcess(process.get(), &result);
  code = static_cast<int>(result);
  return true;
}

variant report_text(const removal_report& report) {
  variant message(text(phrase_left_behind));
  for (variant_list::node* n = report.left.first(); n; n = n->next) {
    message.append("\r\n");
    message.append(n->value);
  }
  const struct {
    bool left;
    int32_t phrase;
  } parts[] = {{report.folder_verb_left, phrase_folder_verb},
               {report.uninstall_entry_left, phrase_uninstall_entry},
               {report.product_key_left, phrase_product_key}};
  for (const auto& part : parts) {
    if (!part.left) continue;
    message.append("\r\n");
    message.append(text(part.phrase));
  }
  if (report.unrecorded_folder.length() > 0) {
    message.append("\r\n");
    message.append(text(phrase_unrecorded));
    message.append(report.unrecorded_folder);
  }
  message.append("\r\n\r\n");
  message.append(text(phrase_try_again));
  return message;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  if (!system_speaks_utf8()) {
    MessageBoxA(nullptr, utf8_windows_needed, product_name, MB_ICONERROR | MB_OK);
    return 1;
  }
  const char* args = command_line ? command_line : "";
  const bool quiet = std::strstr(args, "/quiet") != nullptr;
  bool remove_own = std::strstr(args, "/all") != nullptr;

  variant self = own_file_name();
  variant own_folder;
  own_folder.set_left(self, self.find_last(variant('\\')) + 1);
  variant error("");
  phrases_loaded =
      phrases.load(path_in(own_folder, "remove_lang.xml"), error) == phrase_load::loaded &&
      phrases.language_count() > 0;

  // Nothing registered: nothing to take away. Without this the folder
  // remove.exe lies in would be taken for the installation, which for the
  // unpacked product folder is every file of it.
  variant target("");
  if (!registered_installation(target)) {
    if (!quiet) show_message_box(nullptr, text(phrase_not_installed), product_title, box_error);
    return exit_not_installed;
  }
  if (!process_elevated() && !std::strstr(args, "/elevated")) {
    int code = exit_no_rights;
    if (run_elevated(self, args, code)) return code;
    if (!quiet)
      show_message_box(nullptr, text(phrase_needs_administrator), product_title, box_error);
    return exit_no_rights;
  }
  if (FindWindowA("TLumadir", nullptr)) {
    if (!quiet) show_message_box(nullptr, text(phrase_running), product_title, box_error);
    return exit_running;
  }
  if (!quiet) {
    if (!ask(text(phrase_confirm))) return exit_declined;
    if (!remove_own) remove_own = ask(text(phrase_remove_own_files));
  }

  removal_request request;
  request.users_own = remove_own;
  request.own_file = self;
  removal_report report;
  const bool complete = remove_installation(request, report);
  if (!quiet) {
    if (complete)
      show_message_box(nullptr, text(phrase_removed), product_title, box_information);
    else
      show_message_box(nullptr, report_text(report).c_str(), product_title, box_warning);
  }
  return complete ? exit_removed : exit_incomplete;
}
