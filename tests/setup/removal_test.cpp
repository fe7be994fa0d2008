// Removal, in the test prefix: remove.exe run as a process (nothing installed,
// declined, refused while Lumadir runs, answered yes), and the removal itself
// in every kind (quiet, with and without the user's own files), always with
// the user's files beside the program, in help\ and images\ and in a drive's
// root, which must survive. A part that cannot be removed is named, and the
// installation stays registered so that the removal can run again.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/phrase_table.h"
#include "remove/removal.h"
#include "tests/setup/setup_test_support.h"

namespace lumadir {
namespace {

class Removal : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    variant error("");
    ASSERT_EQ(words.load(variant((product / "remove_lang.xml").string().c_str()), error),
              phrase_load::loaded);
  }
  // The user's own files, as the tests below put them.
  void put_sentinels(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "help");
    std::filesystem::create_directories(folder / "images");
    write_text(folder / "help" / "mine.html", "mine");
    write_text(folder / "images" / "mine.png", "mine");
    write_text(folder / "notes.txt", "mine");
  }
  void expect_sentinels(const std::filesystem::path& folder, const std::string& when) {
    for (const char* own : {"help/mine.html", "images/mine.png", "notes.txt"})
      EXPECT_EQ(read_text(folder / own), "mine") << own << " " << when;
  }
  // Nothing of the installation left: no file it made, no shortcut, no key.
  void expect_nothing_installed(const std::vector<std::string>& made, const std::string& when) {
    for (const std::string& file : made) {
      if (file.ends_with("\\remove.exe")) continue;  // may wait for the next start
      EXPECT_FALSE(std::filesystem::exists(file)) << file << " " << when;
    }
    EXPECT_FALSE(registry_key_exists(HKEY_LOCAL_MACHINE, install_items::product_key)) << when;
    EXPECT_FALSE(registry_key_exists(HKEY_LOCAL_MACHINE, install_items::uninstall_key)) << when;
    EXPECT_FALSE(registry_key_exists(HKEY_CLASSES_ROOT, install_items::folder_verb_key)) << when;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(known_folder(programs_folder)) /
                                         "VEXA Lumadir"))
        << when;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(known_folder(desktop_folder)) /
                                         "VEXA Lumadir.lnk"))
        << when;
  }
  phrase_table words;
};

TEST_F(Removal, WithNothingInstalledRemoveExeChangesNothing) {
  // Run from the unpacked product folder, with the user's files in it: it
  // used to take its own folder for the installation and empty it.
  put_sentinels(source);
  const machine_state before = picture_of({source});
  process_outcome o = run_answering(source / "remove.exe", "", {IDYES, IDYES});
  ASSERT_EQ(o.boxes.size(), 1u);
  EXPECT_EQ(o.boxes[0].text, words.phrase_text(5));
  EXPECT_EQ(o.exit_code, 3u);
  o = run_answering(source / "remove.exe", "/quiet /all");
  EXPECT_TRUE(o.boxes.empty());
  EXPECT_EQ(o.exit_code, 3u);
  EXPECT_TRUE(picture_of({source}) == before) << difference(before, picture_of({source}));
}

LRESULT CALLBACK plain_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

TEST_F(Removal, ARemovalDeclinedOrRefusedWhileLumadirRunsChangesNothing) {
  const auto target = scratch / "LMD1";
  ASSERT_EQ(install_to(target.string()), install_result::done);
  const machine_state before = picture_of({target});
  process_outcome o = run_answering(target / "remove.exe", "", {IDNO});
  ASSERT_EQ(o.boxes.size(), 1u);
  EXPECT_EQ(o.boxes[0].text, words.phrase_text(1));
  EXPECT_EQ(o.exit_code, 4u);
  EXPECT_TRUE(picture_of({target}) == before) << difference(before, picture_of({target}));

  // A window of the main window's class, as a running Lumadir has.
  WNDCLASSA lumadir_class = {};
  lumadir_class.lpfnWndProc = plain_window;
  lumadir_class.hInstance = GetModuleHandleA(nullptr);
  lumadir_class.lpszClassName = "TLumadir";
  RegisterClassA(&lumadir_class);
  HWND running = CreateWindowExA(0, "TLumadir", "Lumadir 2.0", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(running, nullptr);
  o = run_answering(target / "remove.exe", "", {IDYES, IDYES});
  ASSERT_EQ(o.boxes.size(), 1u);
  EXPECT_EQ(o.boxes[0].text, words.phrase_text(4));
  EXPECT_EQ(o.exit_code, 1u);
  o = run_answering(target / "remove.exe", "/quiet /all");
  EXPECT_EQ(o.exit_code, 1u);
  DestroyWindow(running);
  UnregisterClassA("TLumadir", GetModuleHandleA(nullptr));
  EXPECT_TRUE(picture_of({target}) == before) << difference(before, picture_of({target}));
}

TEST_F(Removal, EveryKindOfRemovalTakesOnlyWhatTheInstallationMade) {
  // The user's files: in a drive's root before the installation (settings.ini
  // among them), in the per-user settings folder, and beside the program in a
  // folder of its own after it. Each kind of removal, on a fresh installation.
  const auto settings_folder =
      std::filesystem::path(known_folder(user_data_folder)) / "VEXA" / "Lumadir";
  struct kind {
    const char* name;
    const char* arguments;
    std::vector<int> answers;
    bool users_own;
  };
  // Started as M:\remove.exe, the name the installation recorded, or by the
  // folder the drive stands for.
  const kind kinds[] = {
      {"quiet", "/quiet", {}, false},
      {"quiet, everything", "/quiet /all", {}, true},
      {"asked, yes and no", "", {IDYES, IDNO, IDOK}, false},
      {"asked, yes and yes", "", {IDYES, IDYES, IDOK}, true},
  };
  for (const kind& k : kinds) {
    SCOPED_TRACE(k.name);
    put_sentinels(drive_m);
    write_text(drive_m / "settings.ini", "my settings");
    ASSERT_EQ(install_to("M:"), install_result::done);
    std::vector<std::string> made = recorded(made_files_value);
    const std::vector<std::string> made_settings = recorded(made_settings_value);
    std::filesystem::create_directories(settings_folder);
    write_text(settings_folder / "settings.ini", "per user");

    const std::filesystem::path remover =
        k.answers.empty() ? drive_m / "remove.exe" : std::filesystem::path("M:\\remove.exe");
    const process_outcome o = run_answering(remover, k.arguments, k.answers);
    EXPECT_EQ(o.exit_code, 0u);
    if (k.answers.empty()) {
      EXPECT_TRUE(o.boxes.empty());
    } else {
      ASSERT_EQ(o.boxes.size(), 3u);
      EXPECT_EQ(o.boxes[0].text, words.phrase_text(1));
      EXPECT_EQ(o.boxes[1].text, words.phrase_text(2));
      EXPECT_EQ(o.boxes[2].text, words.phrase_text(3));
    }
    expect_sentinels(drive_m, k.name);
    EXPECT_EQ(read_text(drive_m / "settings.ini"), "my settings");  // there before
    expect_nothing_installed(made, k.name);
    for (const std::string& file : made_settings)
      EXPECT_EQ(std::filesystem::exists(file), !k.users_own) << file;
    EXPECT_EQ(std::filesystem::exists(settings_folder), !k.users_own);
    clear_installation();
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(drive_m, ignored))
      std::filesystem::remove_all(entry.path(), ignored);
  }

  // A folder the installation made goes once empty; one the user keeps a
  // file in stays with that file.
  const auto target = scratch / "Programs" / "LMD1";
  ASSERT_EQ(install_to(target.string()), install_result::done);
  const std::vector<std::string> made = recorded(made_files_value);
  write_text(target / "notes.txt", "mine");
  write_text(target / "help" / "mine.html", "mine");
  const process_outcome o = run_answering(target / "remove.exe", "/quiet /all");
  EXPECT_EQ(o.exit_code, 0u);
  expect_nothing_installed(made, "beside the program");
  EXPECT_EQ(read_text(target / "notes.txt"), "mine");
  EXPECT_EQ(read_text(target / "help" / "mine.html"), "mine");
  EXPECT_FALSE(std::filesystem::exists(target / "images"));
}

TEST_F(Removal, APartThatCannotBeRemovedIsNamedAndStaysRegistered) {
  const auto target = scratch / "LMD1";
  ASSERT_EQ(install_to(target.string()), install_result::done);
  const std::string remover = (target / "remove.exe").string();
  const std::string held_path = (target / "help" / "3100.html").string();
  {
    held_file held(held_path);
    ASSERT_TRUE(held.held());
    const process_outcome o = run_answering(target / "remove.exe", "", {IDYES, IDYES, IDOK});
    EXPECT_EQ(o.exit_code, 2u);
    ASSERT_EQ(o.boxes.size(), 3u);
    EXPECT_EQ(o.boxes[2].text, std::string(words.phrase_text(7)) + "\r\n" + held_path + "\r\n\r\n" +
                                   words.phrase_text(8));
  }
  // Still registered, with what is left, so that the removal can run again.
  EXPECT_TRUE(std::filesystem::exists(held_path));
  EXPECT_TRUE(std::filesystem::exists(remover));
  EXPECT_EQ(recorded(made_files_value), (std::vector<std::string>{held_path, remover}));
  EXPECT_EQ(
      registry_text(registry_root::local_machine, install_items::uninstall_key, "UninstallString"),
      "\"" + remover + "\"");

  // A key below the folder verb that nobody may open: the verb cannot go,
  // and is named.
  const std::string locked = std::string(install_items::folder_verb_key) + "\\command\\locked";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, locked.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P", SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
  LocalFree(descriptor);
  RegCloseKey(key);
  removal_request request;
  request.own_file = remover.c_str();  // as when remove.exe runs
  removal_report report;
  EXPECT_FALSE(remove_installation(request, report));
  EXPECT_TRUE(report.folder_verb_left);
  EXPECT_EQ(report.left.count(), 0);
  EXPECT_TRUE(registry_key_exists(HKEY_LOCAL_MACHINE, install_items::uninstall_key));

  // Once it can go, the removal finishes the work.
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, locked.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
  ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1,
                                                       &descriptor, nullptr);
  RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  RegCloseKey(key);
  const process_outcome o = run_answering(target / "remove.exe", "/quiet");
  EXPECT_EQ(o.exit_code, 0u);
  expect_nothing_installed({held_path, remover}, "again");
}

TEST_F(Removal, ARecordOfWhatIsLeftThatCannotBeWrittenIsNamed) {
  // The record would still name the files that went: a later removal would
  // take a file of such a name that is not the installation's. So the product
  // key is named among what is left.
  const auto target = scratch / "LMD1";
  ASSERT_EQ(install_to(target.string()), install_result::done);
  const std::string remover = (target / "remove.exe").string();
  const std::string held_path = (target / "help" / "3100.html").string();
  deny_writing(install_items::product_key);
  removal_report report;
  {
    held_file held(held_path);
    ASSERT_TRUE(held.held());
    removal_request request;
    request.own_file = remover.c_str();
    EXPECT_FALSE(remove_installation(request, report));
  }
  allow_writing(install_items::product_key);
  EXPECT_EQ(report.left.count(), 1);
  EXPECT_TRUE(report.product_key_left);
  EXPECT_FALSE(report.uninstall_entry_left);
  EXPECT_TRUE(registry_key_exists(HKEY_LOCAL_MACHINE, install_items::uninstall_key));

  // Written, the record names only what is left, and the key is not named.
  removal_report again;
  {
    held_file held(held_path);
    ASSERT_TRUE(held.held());
    removal_request request;
    request.own_file = remover.c_str();
    EXPECT_FALSE(remove_installation(request, again));
  }
  EXPECT_FALSE(again.product_key_left);
  EXPECT_EQ(recorded(made_files_value), (std::vector<std::string>{held_path, remover}));
}

}  // namespace
}  // namespace lumadir
