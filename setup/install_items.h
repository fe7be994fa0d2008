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

struct file_item {
  const char* name;
  uint32_t flags;
};

constexpr file_item files[] = {
    {"setup.exe", always},     {"vx_regex.dll", always},    {"remove.exe", always},
    {"vxlang.xml", always},    {"remove_lang.xml", always}, {"settings.ini", users_own},
    {"filter.txt", users_own}, {"format.xml", users_own},   {"license.txt", always},
    {"readme.txt", always},    {"support.html", always},    {"help.html", always},
    {"lmd.gif", always},       {"logo.gif", always},        {"vxleft.html", always},
    {"vxmain.html", always},   {"vxtop.html", always},      {"vxtop_toolbar.html", always},
};

// Folders whose files (directly inside) are installed with these flags.
constexpr const char* folders[] = {"help", "images"};
constexpr uint32_t folder_flags = always;

// What the installed program folder holds instead of setup.exe.
constexpr const char installed_program[] = "lumadir.exe";

constexpr const char product_key[] = "Software\\VEXA\\LMD1";
constexpr const char maker_key[] = "Software\\VEXA";
constexpr const char uninstall_key[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vlmd1";
constexpr const char folder_verb_key[] = "folder\\shell\\Print listing with Lumadir";
constexpr const char programs_menu_folder[] = "VEXA Lumadir";
constexpr const char* shortcuts[] = {"VEXA Lumadir.lnk", "Help.lnk", "Uninstall.lnk"};
constexpr const char desktop_shortcut[] = "VEXA Lumadir.lnk";

}  // namespace lumadir::install_items
