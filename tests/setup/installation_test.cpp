// The installation steps on the test prefix's real file system, registry and
// shell: what lands where, with which attributes and times, what a second
// installation keeps, a bare drive as target, and the target rules.
#include <windows.h>
#include <sddl.h>
#include <winioctl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/registry.h"
#include "base/variant_map.h"
#include "base/message_box.h"
#include "base/phrase_table.h"
#include "setup/App_setup_form.h"
#include "setup/folder_security.h"
#include "setup/installation.h"
#include "setup/setup_phrases.h"
#include "tests/setup/setup_test_support.h"
#include "ui/main_window.h"

namespace lumadir {

std::filesystem::path product;
std::filesystem::path drive_m;

namespace {

// A shortcut's target, read back through the shell's link object.
std::string link_target(const std::string& link) {
  IShellLinkA* shell_link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shell_link))))
    return "";
  IPersistFile* file = nullptr;
  std::string target;
  if (SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    std::wstring wide(link.begin(), link.end());
    char path[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
        SUCCEEDED(shell_link->GetPath(path, MAX_PATH, nullptr, 0)))
      target = path;
    file->Release();
  }
  shell_link->Release();
  return target;
}

using Installation = InstallationTest;

TEST_F(Installation, PutsEveryItemRegistryValueShortcutAndTheVerbInPlace) {
  const std::string target = (scratch / "Programs" / "VEXA" / "LMD1").string();
  const time_t before = std::time(nullptr);
  ASSERT_EQ(install_to(target + "\\"), install_result::done);

  // Files: the program under its own name, every item, archive only, stamped now.
  EXPECT_TRUE(std::filesystem::exists(target + "\\lumadir.exe"));
  EXPECT_FALSE(std::filesystem::exists(target + "\\setup.exe"));
  for (int32_t i = 0; i < items.item_count(); ++i) {
    std::string name = items.item(i).name.c_str();
    if (name == "setup.exe") name = "lumadir.exe";
    const std::string path = target + "\\" + name;
    ASSERT_TRUE(std::filesystem::exists(path)) << name;
    if (items.item(i).folder) continue;
    EXPECT_EQ(GetFileAttributesA(path.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE)) << name;
    WIN32_FILE_ATTRIBUTE_DATA data;
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    const uint64_t written = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                             data.ftLastWriteTime.dwLowDateTime;
    const time_t seconds = static_cast<time_t>(written / 10000000 - 11644473600ULL);
    EXPECT_GE(seconds + 2, before) << name;
  }
  EXPECT_EQ(read_text(target + "\\help\\3100.html"), read_text(source / "help" / "3100.html"));

  // Registry.
  EXPECT_EQ(registry_text(registry_root::local_machine, install_items::product_key, "inst_dir"),
            target + "\\");
  const std::string menu =
      registry_text(registry_root::local_machine, install_items::product_key, "icon_dir");
  EXPECT_NE(menu.find("VEXA Lumadir"), std::string::npos);
  EXPECT_EQ(
      registry_text(registry_root::local_machine, install_items::uninstall_key, "DisplayName"),
      "Lumadir 2.0");
  // Quoted: unquoted, a path with spaces is open to "C:\Program.exe" being run.
  EXPECT_EQ(
      registry_text(registry_root::local_machine, install_items::uninstall_key, "UninstallString"),
      "\"" + target + "\\remove.exe\"");
  EXPECT_EQ(registry_text(registry_root::local_machine, install_items::uninstall_key,
                          "QuietUninstallString"),
            "\"" + target + "\\remove.exe\" /quiet");
  EXPECT_EQ(registry_text(registry_root::local_machine, install_items::uninstall_key, "Publisher"),
            "VEXA");
  EXPECT_EQ(
      registry_text(registry_root::local_machine, install_items::uninstall_key, "InstallLocation"),
      target + "\\");
  EXPECT_EQ(registry_text(registry_root::local_machine, install_items::uninstall_key, "NoModify"),
            "1");
  EXPECT_EQ(
      registry_text(registry_root::local_machine, install_items::uninstall_key, "EstimatedSize"),
      std::to_string((items.total_size() + 1023) / 1024));
  EXPECT_EQ(registry_text(registry_root::classes_root, install_items::folder_verb_command_key, ""),
            "\"" + target + "\\lumadir.exe\" \"%1\"");

  // Shortcuts, read back through the shell.
  EXPECT_EQ(link_target(menu + "\\VEXA Lumadir.lnk"), target + "\\lumadir.exe");
  EXPECT_EQ(link_target(menu + "\\Help.lnk"), target + "\\help.html");
  EXPECT_EQ(link_target(menu + "\\Uninstall.lnk"), target + "\\remove.exe");
  const std::string desktop =
      registry_text(registry_root::local_machine, install_items::product_key, "desktop_icon");
  EXPECT_EQ(link_target(desktop + "\\VEXA Lumadir.lnk"), target + "\\lumadir.exe");
  std::filesystem::remove_all(menu);
  std::filesystem::remove(desktop + "\\VEXA Lumadir.lnk");
}

TEST_F(Installation, ASecondInstallationKeepsTheUsersFilesAndReplacesTheRest) {
  const std::string target = (scratch / "LMD1").string();
  ASSERT_EQ(install_to(target, false, false), install_result::done);
  EXPECT_EQ(registry_text(registry_root::classes_root, install_items::folder_verb_command_key, ""),
            "\x01no key");
  EXPECT_EQ(registry_text(registry_root::local_machine, install_items::product_key, "desktop_icon"),
            "\x01missing");
  for (const char* own : {"settings.ini", "filter.txt", "format.xml"})
    write_text(target + "\\" + own, "mine");
  write_text(target + "\\readme.txt", "old");
  write_text(target + "\\help\\ui_main.html", "old");

  bool previous = false;
  variant found("");
  ASSERT_TRUE(default_target(found, previous));
  EXPECT_TRUE(previous);
  EXPECT_EQ(std::string(found.c_str()), target);

  ASSERT_EQ(install_to(target), install_result::done);
  for (const char* own : {"settings.ini", "filter.txt", "format.xml"})
    EXPECT_EQ(read_text(target + "\\" + own), "mine") << own;
  EXPECT_EQ(read_text(target + "\\readme.txt"), read_text(source / "readme.txt"));
  EXPECT_EQ(read_text(target + "\\help\\ui_main.html"),
            read_text(source / "help" / "ui_main.html"));
  std::filesystem::remove_all(
      registry_text(registry_root::local_machine, install_items::product_key, "icon_dir"));
}

TEST_F(Installation, ABareDriveIsATargetOfItsOwn) {
  // Drive M: shows a scratch folder, as a second disk would be.
  EXPECT_EQ(install_to("M:"), install_result::done);
  EXPECT_TRUE(std::filesystem::exists(drive_m / "lumadir.exe"));
  EXPECT_TRUE(std::filesystem::exists(drive_m / "help" / "ui_main.html"));
  EXPECT_EQ(registry_text(registry_root::local_machine, install_items::product_key, "inst_dir"),
            "M:\\");
  std::filesystem::remove_all(
      registry_text(registry_root::local_machine, install_items::product_key, "icon_dir"));
}

TEST_F(Installation, TheChosenLanguageBecomesTheProgramsFirst) {
  // A program phrase file of two languages; the installer's own file is not it.
  write_text(source / "vxlang.xml",
             "<langs><lang short=\"en\" full=\"English\"><_1>About</_1></lang>"
             "<lang short=\"de\" full=\"Deutsch\"><_1>Info</_1></lang></langs>");
  installation chosen;
  variant missing("");
  ASSERT_TRUE(chosen.build_list(variant((source.string() + "\\").c_str()), missing));
  const std::string target = (scratch / "LMD1").string();
  ASSERT_EQ(chosen.install(variant(target.c_str()), false, false, "de", nullptr, nullptr),
            install_result::done);
  phrase_table program;
  variant error("");
  ASSERT_EQ(program.load(variant((target + "\\vxlang.xml").c_str()), error), phrase_load::loaded);
  EXPECT_STREQ(program.short_names().item_at(0).c_str(), "de");
  EXPECT_STREQ(program.phrase_text(1), "Info");
  EXPECT_EQ(program.language_count(), 2);

  // A language the program does not speak leaves its file as it came.
  ASSERT_EQ(chosen.install(variant(target.c_str()), false, false, "fr", nullptr, nullptr),
            install_result::done);
  EXPECT_EQ(read_text(target + "\\vxlang.xml"), read_text(source / "vxlang.xml"));
  std::filesystem::remove_all(
      registry_text(registry_root::local_machine, install_items::product_key, "icon_dir"));
}

TEST_F(Installation, AMissingRequiredItemIsNamedAndTooLittleSpaceStops) {
  // Each rule on its own, the other items all there: a missing file, a missing
  // folder, a file where the folder should be.
  const variant folder((source.string() + "\\").c_str());
  installation again;
  variant missing("");
  std::filesystem::rename(source / "logo.gif", scratch / "logo.gif");
  EXPECT_FALSE(again.build_list(folder, missing));
  EXPECT_STREQ(missing.c_str(), "logo.gif");
  std::filesystem::rename(scratch / "logo.gif", source / "logo.gif");
  ASSERT_TRUE(again.build_list(folder, missing));
  std::filesystem::rename(source / "images", scratch / "images");
  missing = "";
  EXPECT_FALSE(again.build_list(folder, missing));
  EXPECT_STREQ(missing.c_str(), "images");
  write_text(source / "images", "a file, not the folder");
  missing = "";
  EXPECT_FALSE(again.build_list(folder, missing));
  EXPECT_STREQ(missing.c_str(), "images");
  std::filesystem::remove(source / "images");
  std::filesystem::rename(scratch / "images", source / "images");

  // More than the drive holds (a sparse file of 1 TiB among the help pages):
  // refused before anything is made.
  {
    const HANDLE huge_file = CreateFileW((source / "help" / "huge.bin").wstring().c_str(),
                                         GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(huge_file, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    DeviceIoControl(huge_file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = int64_t{1} << 40;
    EXPECT_TRUE(SetFilePointerEx(huge_file, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(huge_file));
    CloseHandle(huge_file);
  }
  installation huge;
  ASSERT_TRUE(huge.build_list(folder, missing));
  ASSERT_GT(huge.total_size(), uint64_t{1} << 40);
  const std::string target = (scratch / "Programs" / "LMD1").string();
  EXPECT_EQ(huge.install(variant(target.c_str()), true, true, nullptr, nullptr, nullptr),
            install_result::no_room);
  EXPECT_FALSE(std::filesystem::exists(scratch / "Programs"));
  EXPECT_EQ(registry_text(registry_root::local_machine, install_items::product_key, "inst_dir"),
            "\x01no key");
  std::filesystem::remove(source / "help" / "huge.bin");

  // Nothing can be made under /proc: the installation stops with a step's phrase.
  EXPECT_NE(install_to("Z:\\proc\\lumadir"), install_result::done);
}

TEST_F(Installation, ARelativeTargetIsMadeFullBeforeAnythingIsWritten) {
  // The installer's folder is the current one; a relative target lies in it,
  // and is registered and linked to by its full path.
  ASSERT_TRUE(SetCurrentDirectoryA(source.string().c_str()));
  ASSERT_EQ(install_to("Relative\\LMD1", false, true), install_result::done);
  const std::string full = (source / "Relative" / "LMD1").string();
  EXPECT_TRUE(std::filesystem::exists(full + "\\lumadir.exe"));
  EXPECT_EQ(registry_text(registry_root::local_machine, install_items::product_key, "inst_dir"),
            full + "\\");
  EXPECT_EQ(registry_text(registry_root::classes_root, install_items::folder_verb_command_key, ""),
            "\"" + full + "\\lumadir.exe\" \"%1\"");
  variant typed("Relative/LMD1/");
  ASSERT_TRUE(full_target(typed));
  EXPECT_EQ(std::string(typed.c_str()), full);
}

TEST_F(Installation, ASecondInstallationWithoutTheOptionsTakesTheFirstsAway) {
  const std::string target = (scratch / "LMD1").string();
  ASSERT_EQ(install_to(target, true, true), install_result::done);
  const std::string desktop =
      registry_text(registry_root::local_machine, install_items::product_key, "desktop_icon");
  ASSERT_TRUE(std::filesystem::exists(desktop + "\\VEXA Lumadir.lnk"));
  ASSERT_TRUE(registry_key_exists(HKEY_CLASSES_ROOT, install_items::folder_verb_key));

  ASSERT_EQ(install_to(target, false, false), install_result::done);
  EXPECT_FALSE(std::filesystem::exists(desktop + "\\VEXA Lumadir.lnk"));
  EXPECT_EQ(registry_text(registry_root::local_machine, install_items::product_key, "desktop_icon"),
            "\x01missing");
  EXPECT_FALSE(registry_key_exists(HKEY_CLASSES_ROOT, install_items::folder_verb_key));
  // The menu shortcuts stay, made again.
  const std::string menu =
      registry_text(registry_root::local_machine, install_items::product_key, "icon_dir");
  for (const char* shortcut : install_items::shortcuts)
    EXPECT_TRUE(std::filesystem::exists(menu + "\\" + shortcut)) << shortcut;
}

TEST_F(Installation, FilesOfOthersAreReplacedOnlyWithConsentAndTheirsStayTheirs) {
  // A folder of the user's that happens to hold files of Lumadir's names.
  const auto target = scratch / "Tools";
  std::filesystem::create_directories(target / "help");
  write_text(target / "readme.txt", "my readme");
  write_text(target / "help" / "3100.html", "my page");
  write_text(target / "settings.ini", "my settings");
  write_text(target / "notes.txt", "my notes");

  variant_list names;
  EXPECT_EQ(items.files_to_replace(variant(target.string().c_str()), names), 2);
  std::vector<std::string> named;
  for (variant_list::node* n = names.first(); n; n = n->next) named.push_back(n->value.c_str());
  EXPECT_EQ(named, (std::vector<std::string>{"readme.txt", "help\\3100.html"}));

  // Unasked, nothing is written.
  const machine_state before = picture_of({target});
  EXPECT_EQ(install_to(target.string()), install_result::replace_consent);
  EXPECT_EQ(items.failed_item().c_str(), (target / "readme.txt").string());
  EXPECT_TRUE(picture_of({target}) == before) << difference(before, picture_of({target}));

  // Agreed to, they are replaced; settings.ini is the user's and stays, and
  // is not recorded as made, so that no removal takes it.
  ASSERT_EQ(install_to(target.string(), true, true, true), install_result::done);
  EXPECT_EQ(read_text(target / "readme.txt"), read_text(source / "readme.txt"));
  EXPECT_EQ(read_text(target / "settings.ini"), "my settings");
  EXPECT_EQ(read_text(target / "notes.txt"), "my notes");
  EXPECT_FALSE(holds(recorded(made_settings_value), (target / "settings.ini").string()));
  EXPECT_FALSE(holds(recorded(made_files_value), (target / "notes.txt").string()));
  EXPECT_TRUE(holds(recorded(made_files_value), (target / "readme.txt").string()));
  // Installed, the files are the installation's: a second run asks nothing.
  EXPECT_EQ(items.files_to_replace(variant(target.string().c_str()), names), 0);
  EXPECT_EQ(install_to(target.string()), install_result::done);
}

TEST_F(Installation, UserFilesInADriveRootSurviveTheInstallation) {
  std::filesystem::create_directories(drive_m / "help");
  std::filesystem::create_directories(drive_m / "images");
  write_text(drive_m / "help" / "mine.html", "mine");
  write_text(drive_m / "images" / "mine.png", "mine");
  write_text(drive_m / "notes.txt", "mine");
  write_text(drive_m / "settings.ini", "my settings");
  ASSERT_EQ(install_to("M:"), install_result::done);
  for (const char* own : {"help/mine.html", "images/mine.png", "notes.txt"})
    EXPECT_EQ(read_text(drive_m / own), "mine") << own;
  EXPECT_EQ(read_text(drive_m / "settings.ini"), "my settings");
  // Recorded: the installation's own files, none of the user's, and no folder
  // (help and images were there before).
  const std::vector<std::string> made = recorded(made_files_value);
  EXPECT_EQ(made.size(), static_cast<size_t>(items.item_count() - 2 - 3));  // less folders, own
  EXPECT_TRUE(holds(made, "M:\\lumadir.exe"));
  EXPECT_TRUE(holds(made, "M:\\help\\ui_main.html"));
  for (const char* own : {"M:\\help\\mine.html", "M:\\images\\mine.png", "M:\\notes.txt"})
    EXPECT_FALSE(holds(made, own)) << own;
  EXPECT_TRUE(recorded(made_folders_value).empty());
  EXPECT_EQ(recorded(made_settings_value),
            (std::vector<std::string>{"M:\\filter.txt", "M:\\format.xml"}));
}

TEST_F(Installation, AFailedStepLeavesTheMachineAsItWasBeforeThatInstallation) {
  const auto target = scratch / "Programs" / "LMD1";
  const std::vector<std::filesystem::path> watched = {scratch / "Programs", drive_m};

  // A first installation: a source file nobody may read stops the copying.
  // Nothing of the run stays: no folder, no key, no shortcut.
  machine_state before = picture_of(watched);
  {
    held_file held(source / "help" / "3100.html");
    ASSERT_TRUE(held.held());
    EXPECT_EQ(install_to(target.string()), install_result::copy_failed);
    EXPECT_EQ(items.failed_item().c_str(), (target / "help" / "3100.html").string());
    EXPECT_EQ(items.not_undone().count(), 0) << listed(items.not_undone());
  }
  EXPECT_TRUE(picture_of(watched) == before) << difference(before, picture_of(watched));
  EXPECT_FALSE(std::filesystem::exists(scratch / "Programs")) << listed(items.not_undone());

  // Over a first installation: a file of it in use cannot be replaced. Every
  // file replaced so far comes back as it was.
  ASSERT_EQ(install_to(target.string(), true, true), install_result::done);
  write_text(source / "readme.txt", "a newer readme");
  write_text(source / "help" / "new.html", "a new page");
  installation newer;
  variant missing("");
  ASSERT_TRUE(newer.build_list(variant((source.string() + "\\").c_str()), missing));
  before = picture_of(watched);
  {
    held_file held(target / "images" / "main-window.png");
    ASSERT_TRUE(held.held());
    EXPECT_EQ(
        newer.install(variant(target.string().c_str()), false, false, nullptr, nullptr, nullptr),
        install_result::copy_failed);
    EXPECT_EQ(newer.not_undone().count(), 0) << listed(newer.not_undone());
  }
  EXPECT_TRUE(picture_of(watched) == before) << difference(before, picture_of(watched));

  // The uninstall entry cannot be written: the files, shortcuts, desktop
  // shortcut and product values the run changed before it come back, and the
  // entry is named.
  deny_writing(install_items::uninstall_key);
  before = picture_of(watched);
  EXPECT_EQ(
      newer.install(variant(target.string().c_str()), false, false, nullptr, nullptr, nullptr),
      install_result::registry_failed);
  EXPECT_EQ(std::string(newer.failed_item().c_str()),
            std::string("HKEY_LOCAL_MACHINE\\") + install_items::uninstall_key);
  EXPECT_EQ(newer.not_undone().count(), 0) << listed(newer.not_undone());
  EXPECT_TRUE(picture_of(watched) == before) << difference(before, picture_of(watched));
  allow_writing(install_items::uninstall_key);
  clear_installation();
  std::filesystem::remove_all(scratch / "Programs");

  // A first installation into a drive's root whose folder verb cannot be made
  // (its key is volatile, and a lasting key cannot go below one): the user's
  // files stay and nothing of the installation does.
  std::filesystem::create_directories(drive_m / "help");
  write_text(drive_m / "help" / "mine.html", "mine");
  write_text(drive_m / "settings.ini", "my settings");
  HKEY volatile_key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, install_items::folder_verb_key, 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatile_key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(volatile_key);
  before = picture_of(watched);
  EXPECT_EQ(install_to("M:\\"), install_result::registry_failed);
  EXPECT_EQ(items.not_undone().count(), 0) << listed(items.not_undone());
  EXPECT_TRUE(picture_of(watched) == before) << difference(before, picture_of(watched));
}

TEST_F(Installation, AShortcutThatCannotBeMadeFailsTheStep) {
  // A folder where a shortcut should go: neither set aside nor written over.
  for (const char* shortcut : {"Help.lnk", "Uninstall.lnk"}) {
    const auto menu = std::filesystem::path(known_folder(programs_folder)) / "VEXA Lumadir";
    std::filesystem::create_directories(menu / shortcut);
    const machine_state before = picture_of({scratch / "LMD1"});
    EXPECT_EQ(install_to((scratch / "LMD1").string()), install_result::shortcut_failed) << shortcut;
    EXPECT_EQ(items.failed_item().c_str(), (menu / shortcut).string());
    EXPECT_TRUE(picture_of({scratch / "LMD1"}) == before)
        << shortcut << difference(before, picture_of({scratch / "LMD1"}));
    std::filesystem::remove_all(menu);
  }
}

// Wine keeps no access rules of files: it turns them into the folder's Unix
// mode (owner and everyone; administrators, SYSTEM and users it drops) and
// reads back rules made from that mode. So the rules are checked here as they
// are built, and by which folder is made with them; only Windows can show
// them on the folder, and that a standard user then cannot change it.
TEST_F(Installation, ANewFolderOutsideProgramFilesGetsTheRulesOfProgramFiles) {
  // The rules: administrators and SYSTEM everything, users read and run,
  // inherited by all inside, and none from above.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
      program_files_rules, SDDL_REVISION_1, &descriptor, nullptr));
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  EXPECT_TRUE(control & SE_DACL_PROTECTED);
  BOOL present = FALSE, defaulted = FALSE;
  PACL rules = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &rules, &defaulted));
  ASSERT_EQ(rules->AceCount, 3);
  const struct {
    WELL_KNOWN_SID_TYPE who;
    DWORD rights;
  } expected[] = {{WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
                  {WinLocalSystemSid, FILE_ALL_ACCESS},
                  {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
  for (DWORD i = 0; i < 3; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(rules, i, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
              OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    EXPECT_EQ(ace->Mask, expected[i].rights) << i;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    ASSERT_TRUE(CreateWellKnownSid(expected[i].who, nullptr, sid, &size));
    EXPECT_TRUE(EqualSid(&ace->SidStart, sid)) << i;
  }
  LocalFree(descriptor);

  // They go to the first folder the installation makes: that one holds all
  // the others.
  std::filesystem::create_directories(scratch / "Apps");
  ASSERT_EQ(install_to((scratch / "Apps" / "VEXA" / "LMD1").string(), false, false),
            install_result::done);
  EXPECT_EQ(items.secured_folder().c_str(), (scratch / "Apps" / "VEXA").string());
  // Not to a folder that was there (it is the user's), nor inside Program
  // Files, whose own rules are inherited.
  clear_installation();
  ASSERT_EQ(install_to((scratch / "Apps").string(), false, false, true), install_result::done);
  EXPECT_STREQ(items.secured_folder().c_str(), "");
  clear_installation();
  const auto program_files = std::filesystem::path(known_folder(program_files_folder));
  const auto inside = program_files / "Lumadir test";
  ASSERT_EQ(install_to((inside / "LMD1").string(), false, false), install_result::done);
  EXPECT_STREQ(items.secured_folder().c_str(), "");
  std::filesystem::remove_all(inside);
}

std::vector<std::string> boxes;
void record_box(void*, const char* text, const char*, uint32_t) {
  boxes.push_back(text);
}

TEST_F(Installation, TheWizardWillNotStartWhileTheProgramRuns) {
  phrase_table words;
  variant error("");
  ASSERT_EQ(words.load(variant((source / "setup_lang.xml").string().c_str()), error),
            phrase_load::loaded);
  set_message_box_hook(record_box);
  boxes.clear();
  {
    TLumadir running;  // the main window's class is what the installer looks for
    running.build();
    TSetupForm form;
    ASSERT_TRUE(form.create(variant((source.string() + "\\").c_str())));
    form.set_phrases(&words);
    form.start();
    EXPECT_TRUE(form.aborted());
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], words.phrase_text(phrase_product_running));

  // Without it the wizard opens on its first page, the licence page next.
  boxes.clear();
  TSetupForm form;
  ASSERT_TRUE(form.create(variant((source.string() + "\\").c_str())));
  form.set_phrases(&words);
  form.start();
  EXPECT_FALSE(form.aborted());
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(form.page(), 0);
  form.next();
  EXPECT_EQ(form.page(), 1);
  EXPECT_FALSE(IsWindowEnabled(form.control(id_setup_next)));  // the licence is not accepted yet
  SendMessageA(form.control(id_setup_accept), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(form.control(id_setup_next)));
  form.next();
  EXPECT_EQ(form.page(), 2);
  char target[MAX_PATH] = {};
  GetWindowTextA(form.control(id_setup_target), target, MAX_PATH);
  EXPECT_NE(std::string(target).find("VEXA\\LMD1"), std::string::npos);
  form.back();
  EXPECT_EQ(form.page(), 1);
  set_message_box_hook(nullptr);
  MSG message;
  while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

TEST_F(Installation, TheWizardWillNotStartWithALicenceItCannotRead) {
  // The licence must be shown before it is accepted: one that cannot be read
  // stops the installer like a missing file, not with an empty page.
  phrase_table words;
  variant error("");
  ASSERT_EQ(words.load(variant((source / "setup_lang.xml").string().c_str()), error), phrase_load::loaded);
  set_message_box_hook(record_box);
  boxes.clear();
  {
    held_file held(source / "license.txt");
    ASSERT_TRUE(held.held());
    TSetupForm form;
    ASSERT_TRUE(form.create(variant((source.string() + "\\").c_str())));
    form.set_phrases(&words);
    form.start();
    EXPECT_TRUE(form.aborted());
  }
  set_message_box_hook(nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], std::string(words.phrase_text(phrase_required_missing)) + "license.txt" +
                          words.phrase_text(phrase_required_missing_end));
  MSG message;
  while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

std::string text_of(HWND control) {
  char text[4096] = {};
  GetWindowTextA(control, text, sizeof text);
  return text;
}

// Shown by its own style: the form itself is hidden in these tests.
bool shown(HWND control) {
  return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void drain_quit() {
  MSG message;
  while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

// The wizard up to its target page, with the target typed in.
void to_summary(TSetupForm& form, const std::string& target) {
  while (form.page() > 2) form.back();
  if (form.page() < 2) {
    form.next();
    SendMessageA(form.control(id_setup_accept), BM_SETCHECK, BST_CHECKED, 0);
    form.next();
  }
  SetWindowTextA(form.control(id_setup_target), target.c_str());
  form.next();
}

TEST_F(Installation, TheSummaryNamesFilesOfOthersAndKeepsThemUnlessTold) {
  phrase_table words;
  variant error("");
  ASSERT_EQ(words.load(variant((source / "setup_lang.xml").string().c_str()), error),
            phrase_load::loaded);
  set_message_box_hook(record_box);
  boxes.clear();
  TSetupForm form;
  ASSERT_TRUE(form.create(variant((source.string() + "\\").c_str())));
  form.set_phrases(&words);
  form.start();

  // Five files of Lumadir's names that are not Lumadir's: four named, one counted.
  const auto tools = scratch / "Tools";
  std::filesystem::create_directories(tools / "help");
  for (const char* name : {"readme.txt", "license.txt", "help.html", "lmd.gif", "logo.gif"})
    write_text(tools / name, "mine");
  to_summary(form, tools.string());
  ASSERT_EQ(form.page(), 3);
  EXPECT_TRUE(shown(form.control(id_setup_warning)));
  EXPECT_EQ(text_of(form.control(id_setup_warning)),
            std::string(words.phrase_text(phrase_would_replace)) +
                "\r\n    license.txt\r\n    readme.txt\r\n    help.html\r\n    lmd.gif\r\n" +
                words.phrase_text(phrase_further_files) + "1");
  EXPECT_TRUE(shown(form.control(id_setup_replace)));
  EXPECT_EQ(SendMessageA(form.control(id_setup_replace), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(form.control(id_setup_next)));
  form.next();  // Install, while it is disabled: nothing happens
  EXPECT_EQ(form.page(), 3);
  EXPECT_EQ(read_text(tools / "readme.txt"), "mine");
  SendMessageA(form.control(id_setup_replace), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(form.control(id_setup_next)));

  // Only other files: nothing to replace, a word that they stay.
  const auto other = scratch / "Other";
  std::filesystem::create_directories(other);
  write_text(other / "notes.txt", "mine");
  to_summary(form, other.string());
  EXPECT_EQ(text_of(form.control(id_setup_warning)), words.phrase_text(phrase_folder_not_empty));
  EXPECT_FALSE(shown(form.control(id_setup_replace)));
  EXPECT_TRUE(IsWindowEnabled(form.control(id_setup_next)));

  // A new folder, typed relative: the summary's folder is the full one.
  ASSERT_TRUE(SetCurrentDirectoryA(source.string().c_str()));
  to_summary(form, "New");
  EXPECT_FALSE(shown(form.control(id_setup_warning)));
  EXPECT_EQ(text_of(form.control(id_setup_target)), (source / "New").string());
  EXPECT_NE(text_of(form.control(id_setup_summary)).find((source / "New").string()),
            std::string::npos);

  // A failed step says which, on what, and that nothing was changed.
  {
    held_file held(source / "vxlang.xml");
    ASSERT_TRUE(held.held());
    boxes.clear();
    form.next();
  }
  EXPECT_EQ(form.page(), 3);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], std::string(words.phrase_text(phrase_copy_failed)) + "\r\n" +
                          (source / "New" / "vxlang.xml").string() + "\r\n\r\n" +
                          words.phrase_text(phrase_nothing_changed));
  EXPECT_FALSE(std::filesystem::exists(source / "New"));
  set_message_box_hook(nullptr);
  DestroyWindow(form.handle());
  drain_quit();
}

// Whether the control's text fits it: wrapped where the control wraps, on one
// line where it does not, beside the box of a check box.
std::string cut_off(HWND control) {
  wchar_t text[4096] = {};
  GetWindowTextW(control, text, 4096);
  if (!text[0]) return "";
  char cls[32] = {};
  GetClassNameA(control, cls, sizeof cls);
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  RECT client;
  GetClientRect(control, &client);
  int width = client.right;
  bool wraps = false;
  UINT format = DT_CALCRECT | DT_NOCLIP;
  if (lstrcmpiA(cls, "Static") == 0) {
    wraps = (style & SS_TYPEMASK) == SS_LEFT;
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  } else if (lstrcmpiA(cls, "Button") == 0) {
    const LONG type = style & BS_TYPEMASK;
    if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON) {
      const int box = MulDiv(GetSystemMetrics(SM_CXMENUCHECK), 1, 1) + 6;
      width -= box;
    } else {
      width -= 8;  // the push button's frame and focus margin
    }
    wraps = (style & BS_MULTILINE) != 0;
  } else {
    return "";  // edit fields scroll, bars have no text
  }
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT needed = {0, 0, width, 0};
  DrawTextW(dc, text, -1, &needed, format | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  if (needed.right <= width && needed.bottom <= client.bottom) return "";
  char shown_text[4096] = {};
  GetWindowTextA(control, shown_text, sizeof shown_text);
  return std::string(shown_text) + " needs " + std::to_string(needed.right) + "x" +
         std::to_string(needed.bottom) + ", has " + std::to_string(width) + "x" +
         std::to_string(client.bottom);
}

std::string cut_off_on_page(HWND form) {
  std::string found;
  for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!shown(child)) continue;
    const std::string cut = cut_off(child);
    if (!cut.empty()) found += "  " + cut + "\n";
  }
  return found;
}

TEST_F(Installation, NoTextOnAnyPageIsCutOffInEitherLanguage) {
  for (int32_t language : {0, 1}) {
    phrase_table words;
    variant error("");
    ASSERT_EQ(words.load(variant((source / "setup_lang.xml").string().c_str()), error),
              phrase_load::loaded);
    words.select_language(language);
    TSetupForm form;
    ASSERT_TRUE(form.create(variant((source.string() + "\\").c_str())));
    form.set_phrases(&words);
    form.start();
    // The summary at its fullest: a long folder and files to replace.
    const auto tools = scratch / std::string(40, 'x') / "Tools";
    std::filesystem::create_directories(tools);
    for (const char* name : {"readme.txt", "license.txt", "help.html", "lmd.gif", "logo.gif"})
      write_text(tools / name, "mine");
    for (int32_t page = 0; page < 4; ++page) {
      if (page == 2) SendMessageA(form.control(id_setup_accept), BM_SETCHECK, BST_CHECKED, 0);
      if (page == 3) SetWindowTextA(form.control(id_setup_target), tools.string().c_str());
      if (page > 0) form.next();
      ASSERT_EQ(form.page(), page);
      // The note a second installation shows, the longest text of its page.
      if (page == 2)
        SetWindowTextA(form.control(id_setup_note),
                       words.phrase_text(phrase_installed_here_before));
      EXPECT_EQ(cut_off_on_page(form.handle()), "") << "language " << language << " page " << page;
    }
    // The last words, once installed.
    SetWindowTextA(form.control(id_setup_text), words.phrase_text(phrase_installed_text));
    for (HWND child = GetWindow(form.handle(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
      ShowWindow(child, child == form.control(id_setup_text) ? SW_SHOW : SW_HIDE);
    EXPECT_EQ(cut_off_on_page(form.handle()), "") << "language " << language << " finished";
    DestroyWindow(form.handle());
  }
  drain_quit();
}

TEST(InstallationRules, TargetsAreNormalizedShortenedAndQuoted) {
  variant t("C:/Tools/Lumadir//");
  normalize_target(t);
  EXPECT_STREQ(t.c_str(), "C:\\Tools\\Lumadir");
  t = "D:";
  normalize_target(t);
  EXPECT_STREQ(t.c_str(), "D:\\");
  t = "D:\\\\";
  normalize_target(t);
  EXPECT_STREQ(t.c_str(), "D:\\");

  const std::string long_path = "C:\\" + std::string(57, 'a') + "\\bc";  // 63 characters
  const variant shown = shortened_target(variant(long_path.c_str()));
  EXPECT_EQ(std::string(shown.c_str()).size(), 60u);
  EXPECT_EQ(std::string(shown.c_str()), "C:\\..." + long_path.substr(long_path.size() - 54));
  const std::string sixty = "C:\\" + std::string(57, 'x');
  EXPECT_STREQ(shortened_target(variant(sixty.c_str())).c_str(), sixty.c_str());
  const std::string network = "\\\\server\\" + std::string(70, 'n');
  EXPECT_STREQ(shortened_target(variant(network.c_str())).c_str(), network.c_str());

  EXPECT_STREQ(folder_verb_command(variant("C:\\P F\\lumadir.exe")).c_str(),
               "\"C:\\P F\\lumadir.exe\" \"%1\"");
  EXPECT_STREQ(folder_verb_command(variant("\"C:\\x.exe\"")).c_str(), "\"C:\\x.exe\" \"%1\"");
  EXPECT_STREQ(folder_verb_command(variant("C:\\a\"b.exe")).c_str(), "\"C:\\a\\\"b.exe\" \"%1\"");
  EXPECT_STREQ(kilobytes_text(1025).c_str(), "2");
  EXPECT_STREQ(kilobytes_text(5 * 1024 * 1024).c_str(), "5,120");
}

}  // namespace
}  // namespace lumadir

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: installation_tests DIST-FOLDER DRIVE-M-FOLDER\n");
    return 2;
  }
  lumadir::product = argv[1];
  lumadir::drive_m = argv[2];
  return RUN_ALL_TESTS();
}
