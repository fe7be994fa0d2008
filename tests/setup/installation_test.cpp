// The installation steps on the test prefix's real file system, registry and
// shell: what lands where, with which attributes and times, what a second
// installation keeps, a bare drive as target, and the target rules.
#include <windows.h>
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
#include "setup/installation.h"
#include "ui/main_window.h"

namespace lumadir {
namespace {

std::filesystem::path product;  // build/dist
std::filesystem::path drive_m;  // the folder drive M: shows

std::string registry_text(registry_root root, const char* key, const char* name) {
  variant_map values;
  values.put(variant(name), variant("\x01missing"));
  if (!read_registry_values(root, variant(key), values)) return "\x01no key";
  return values.find(variant(name))->c_str();
}

std::string read_text(const std::filesystem::path& path) {
  variant p(path.string().c_str()), out("");
  read_whole_file(p, out);
  return out.c_str();
}

void write_text(const std::filesystem::path& path, const char* text) {
  FILE* f = std::fopen(path.string().c_str(), "wb");
  std::fputs(text, f);
  std::fclose(f);
}

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

class Installation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  void SetUp() override {
    scratch = std::filesystem::temp_directory_path() / "lumadir-installation";
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    std::filesystem::create_directories(scratch);
    source = scratch / "product";
    std::filesystem::copy(product, source, std::filesystem::copy_options::recursive);
    variant missing("");
    ASSERT_TRUE(items.build_list(variant((source.string() + "\\").c_str()), missing))
        << missing.c_str();
  }
  void TearDown() override {
    delete_registry_tree(registry_root::local_machine, variant("Software\\VEXA"));
    delete_registry_tree(registry_root::local_machine, variant(uninstall_key));
    delete_registry_tree(registry_root::classes_root,
                         variant("folder\\shell\\Print listing with Lumadir"));
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
  }
  int32_t install_to(const std::string& target, bool desktop = true, bool verb = true) {
    return items.install(variant(target.c_str()), desktop, verb, nullptr, nullptr, nullptr);
  }
  std::filesystem::path scratch, source;
  installation items;
};

TEST_F(Installation, PutsEveryItemRegistryValueShortcutAndTheVerbInPlace) {
  const std::string target = (scratch / "Programs" / "VEXA" / "LMD1").string();
  const time_t before = std::time(nullptr);
  ASSERT_EQ(install_to(target + "\\"), install_done);

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
  EXPECT_EQ(registry_text(registry_root::local_machine, product_key, "inst_dir"), target + "\\");
  const std::string menu = registry_text(registry_root::local_machine, product_key, "icon_dir");
  EXPECT_NE(menu.find("VEXA Lumadir"), std::string::npos);
  EXPECT_EQ(registry_text(registry_root::local_machine, uninstall_key, "DisplayName"),
            "Lumadir 2.0");
  EXPECT_EQ(registry_text(registry_root::local_machine, uninstall_key, "UninstallString"),
            target + "\\remove.exe");
  EXPECT_EQ(registry_text(registry_root::local_machine, uninstall_key, "QuietUninstallString"),
            "\"" + target + "\\remove.exe\" /quiet");
  EXPECT_EQ(registry_text(registry_root::local_machine, uninstall_key, "Publisher"), "VEXA");
  EXPECT_EQ(registry_text(registry_root::local_machine, uninstall_key, "InstallLocation"),
            target + "\\");
  EXPECT_EQ(registry_text(registry_root::local_machine, uninstall_key, "NoModify"), "1");
  EXPECT_EQ(registry_text(registry_root::local_machine, uninstall_key, "EstimatedSize"),
            std::to_string((items.total_size() + 1023) / 1024));
  EXPECT_EQ(registry_text(registry_root::classes_root, folder_verb_key, ""),
            "\"" + target + "\\lumadir.exe\" \"%1\"");

  // Shortcuts, read back through the shell.
  EXPECT_EQ(link_target(menu + "\\VEXA Lumadir.lnk"), target + "\\lumadir.exe");
  EXPECT_EQ(link_target(menu + "\\Help.lnk"), target + "\\help.html");
  EXPECT_EQ(link_target(menu + "\\Uninstall.lnk"), target + "\\remove.exe");
  const std::string desktop =
      registry_text(registry_root::local_machine, product_key, "desktop_icon");
  EXPECT_EQ(link_target(desktop + "\\VEXA Lumadir.lnk"), target + "\\lumadir.exe");
  std::filesystem::remove_all(menu);
  std::filesystem::remove(desktop + "\\VEXA Lumadir.lnk");
}

TEST_F(Installation, ASecondInstallationKeepsTheUsersFilesAndReplacesTheRest) {
  const std::string target = (scratch / "LMD1").string();
  ASSERT_EQ(install_to(target, false, false), install_done);
  EXPECT_EQ(registry_text(registry_root::classes_root, folder_verb_key, ""), "\x01no key");
  EXPECT_EQ(registry_text(registry_root::local_machine, product_key, "desktop_icon"),
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

  ASSERT_EQ(install_to(target), install_done);
  for (const char* own : {"settings.ini", "filter.txt", "format.xml"})
    EXPECT_EQ(read_text(target + "\\" + own), "mine") << own;
  EXPECT_EQ(read_text(target + "\\readme.txt"), read_text(source / "readme.txt"));
  EXPECT_EQ(read_text(target + "\\help\\ui_main.html"),
            read_text(source / "help" / "ui_main.html"));
  std::filesystem::remove_all(registry_text(registry_root::local_machine, product_key, "icon_dir"));
}

TEST_F(Installation, ABareDriveIsATargetOfItsOwn) {
  // Drive M: shows a scratch folder, as a second disk would be.
  EXPECT_EQ(install_to("M:"), install_done);
  EXPECT_TRUE(std::filesystem::exists(drive_m / "lumadir.exe"));
  EXPECT_TRUE(std::filesystem::exists(drive_m / "help" / "ui_main.html"));
  EXPECT_EQ(registry_text(registry_root::local_machine, product_key, "inst_dir"), "M:\\");
  std::filesystem::remove_all(registry_text(registry_root::local_machine, product_key, "icon_dir"));
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
            install_done);
  phrase_table program;
  variant error("");
  ASSERT_EQ(program.load(variant((target + "\\vxlang.xml").c_str()), error), 0);
  EXPECT_STREQ(program.short_names().item_at(0).c_str(), "de");
  EXPECT_STREQ(program.phrase_text(1), "Info");
  EXPECT_EQ(program.language_count(), 2);

  // A language the program does not speak leaves its file as it came.
  ASSERT_EQ(chosen.install(variant(target.c_str()), false, false, "fr", nullptr, nullptr),
            install_done);
  EXPECT_EQ(read_text(target + "\\vxlang.xml"), read_text(source / "vxlang.xml"));
  std::filesystem::remove_all(registry_text(registry_root::local_machine, product_key, "icon_dir"));
}

TEST_F(Installation, AMissingRequiredItemIsNamedAndTooLittleSpaceStops) {
  std::filesystem::remove(source / "logo.gif");
  installation again;
  variant missing("");
  EXPECT_FALSE(again.build_list(variant((source.string() + "\\").c_str()), missing));
  EXPECT_STREQ(missing.c_str(), "logo.gif");
  std::filesystem::remove_all(source / "images");
  EXPECT_FALSE(again.build_list(variant((source.string() + "\\").c_str()), missing));
  // Nothing can be made under /proc: the installation stops with a step's phrase.
  EXPECT_NE(install_to("Z:\\proc\\lumadir"), install_done);
}

std::vector<std::string> boxes;
void record_box(void*, const char* text, const char*, uint32_t) {
  boxes.push_back(text);
}

TEST_F(Installation, TheWizardWillNotStartWhileTheProgramRuns) {
  phrase_table words;
  variant error("");
  ASSERT_EQ(words.load(variant((source / "setup_lang.xml").string().c_str()), error), 0);
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
  EXPECT_EQ(boxes[0], words.phrase_text(0));

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
