// The files and folders an installation consists of, and the names of its
// keys and shortcuts, shared by the installer and remove.exe. What remove.exe
// deletes is not this list but what the installation recorded it made
// (setup/install_record.h): a file of these names that was there before is
// not the installation's.
#pragma once

#include <cstdint>

namespace lumadir::install_items {

constexpr uint32_t copy_when_absent = 0x10;
constexpr uint32_t copy_when_present = 0x20;
constexpr uint32_t required = 0x2000000;
constexpr uint32_t always = required | copy_when_absent | copy_when_present;
// The user's own files: a reinstallation never overwrites them.
constexpr uint32_t users_own = required | copy_when_absent;

// The product folder's setup.exe is installed as lumadir.exe.
constexpr const char installer_program[] = "setup.exe";
constexpr const char installed_program[] = "lumadir.exe";
constexpr const char remover_program[] = "remove.exe";
// Shown by the installer, which must read it before anything is installed.
constexpr const char licence_file[] = "license.txt";

struct file_item {
  const char* name;
  uint32_t flags;
};

constexpr file_item files[] = {
    {installer_program, always}, {"vx_regex.dll", always},    {remover_program, always},
    {"vxlang.xml", always},      {"remove_lang.xml", always}, {"settings.ini", users_own},
    {"filter.txt", users_own},   {"format.xml", users_own},   {licence_file, always},
    {"readme.txt", always},      {"support.html", always},    {"help.html", always},
    {"lmd.gif", always},         {"logo.gif", always},        {"vxleft.html", always},
    {"vxmain.html", always},     {"vxtop.html", always},      {"vxtop_toolbar.html", always},
};

// Folders whose files (directly inside) are installed with these flags.
constexpr const char* folders[] = {"help", "images"};
constexpr uint32_t folder_flags = always;

// Where a first installation goes, below Program Files.
constexpr const char default_folder[] = "VEXA\\LMD1";

// Keys, all under HKEY_LOCAL_MACHINE but the verb's (HKEY_CLASSES_ROOT).
constexpr const char product_key[] = "Software\\VEXA\\LMD1";
constexpr const char maker_key[] = "Software\\VEXA";
constexpr const char uninstall_key[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vlmd1";
#define LUMADIR_FOLDER_VERB_KEY "folder\\shell\\Print listing with Lumadir"
constexpr const char folder_verb_key[] = LUMADIR_FOLDER_VERB_KEY;
// Its default value is the command the verb runs.
constexpr const char folder_verb_command_key[] = LUMADIR_FOLDER_VERB_KEY "\\command";
#undef LUMADIR_FOLDER_VERB_KEY

// The programs menu's folder and its shortcuts; the program's is also the
// desktop's.
constexpr const char programs_menu_folder[] = "VEXA Lumadir";
constexpr const char program_shortcut[] = "VEXA Lumadir.lnk";
constexpr const char help_shortcut[] = "Help.lnk";
constexpr const char uninstall_shortcut[] = "Uninstall.lnk";
constexpr const char* shortcuts[] = {program_shortcut, help_shortcut, uninstall_shortcut};
constexpr const char* desktop_shortcut = program_shortcut;

}  // namespace lumadir::install_items
