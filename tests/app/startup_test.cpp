// Start-up's pure rules (program path, command-line token, folder test) and
// the place of settings.ini.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/program_start.h"
#include "app/settings_place.h"
#include "base/file_system.h"
#include "base/message_box.h"

namespace lumadir {
namespace {

std::string token_of(const char* command_line, bool* has = nullptr) {
  variant token("x");
  const bool found = first_token(command_line, token);
  if (has) *has = found;
  return token.c_str();
}

TEST(ProgramPath, TheFileNameIsLowerCasedAndTheFolderKeepsItsCase) {
  program_place place = split_program_path(variant("C:\\Program Files\\LUMADIR\\Setup.EXE"));
  EXPECT_STREQ(place.path.c_str(), "C:\\Program Files\\LUMADIR\\Setup.EXE");
  EXPECT_STREQ(place.folder.c_str(), "C:\\Program Files\\LUMADIR\\");
  EXPECT_STREQ(place.file_name.c_str(), "setup.exe");

  place = split_program_path(variant("LumaDir.exe"));
  EXPECT_STREQ(place.folder.c_str(), "");
  EXPECT_STREQ(place.file_name.c_str(), "lumadir.exe");

  // Letters beyond ASCII fold by whole characters.
  place = split_program_path(variant("C:\\\xC3\x89T\xC3\x89\\LUMADIR\xC3\x89.EXE"));
  EXPECT_STREQ(place.folder.c_str(), "C:\\\xC3\x89T\xC3\x89\\");
  EXPECT_STREQ(place.file_name.c_str(), "lumadir\xC3\xA9.exe");
}

TEST(CommandLine, TheFirstTokenIsQuotedOrEndsAtASpace) {
  bool has = false;
  EXPECT_EQ(token_of("\"C:\\My Files\\A\" more", &has), "C:\\My Files\\A");
  EXPECT_TRUE(has);
  EXPECT_EQ(token_of("   C:\\My Files\\A"), "C:\\My");
  EXPECT_EQ(token_of("\"C:\\No closing quote"), "C:\\No closing quote");
  EXPECT_EQ(token_of("C:\\Sp\"li\"t rest"), "C:\\Split");
  EXPECT_EQ(token_of("D:"), "D:");
  for (const char* none : {"", "    ", "\"\"", "  \"\" C:\\"}) {
    EXPECT_EQ(token_of(none, &has), "") << none;
    EXPECT_FALSE(has) << none;
  }
  variant none("");
  EXPECT_FALSE(first_token(nullptr, none));
}

struct shown_box {
  std::string text, title;
  uint32_t kind = 0;
  int count = 0;
} shown;

void record_box(void*, const char* text, const char* title, uint32_t kind) {
  shown.text = text;
  shown.title = title;
  shown.kind = kind;
  ++shown.count;
}

TEST(LoadError, OneErrorBoxTitledErrorWithTheDescribedText) {
  shown = shown_box{};
  set_message_box_hook(record_box);
  variant error_text("Line: 2, column: 7\r\nError: misplaced end tag.\r\n");
  show_load_error(phrase_load::malformed, error_text);
  set_message_box_hook(nullptr);
  EXPECT_EQ(shown.count, 1);
  EXPECT_EQ(shown.title, "Error");
  EXPECT_EQ(shown.kind, box_error);
  EXPECT_EQ(shown.text, "Lang file error: Line: 2, column: 7\r\nError: misplaced end tag.\r\n");
  EXPECT_EQ(shown.text, std::string(error_text.c_str()));  // the text stays with the caller
}

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = std::filesystem::temp_directory_path() / "lumadir-folder-test";
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    std::filesystem::create_directories(root / "My Files");
    std::filesystem::create_directories(root / "plain");
    FILE* f = std::fopen((root / "a file.txt").string().c_str(), "wb");
    std::fclose(f);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  bool folder(std::string text, std::string* converted = nullptr) {
    variant token(text.c_str());
    const bool result = names_folder(token);
    if (converted) *converted = token.c_str();
    return result;
  }
  std::filesystem::path root;
};

TEST_F(FolderTest, ExistingFoldersAndDrivesPassFilesAndMissingOnesDoNot) {
  const std::string base = root.string();
  EXPECT_TRUE(folder(base + "\\My Files"));
  EXPECT_TRUE(folder(base + "\\plain\\"));
  EXPECT_FALSE(folder(base + "\\a file.txt"));
  EXPECT_FALSE(folder(base + "\\missing"));
  EXPECT_FALSE(folder(""));
  // An unquoted folder name with a space names only its first part.
  variant token("");
  ASSERT_TRUE(first_token((base + "\\My Files").c_str(), token));
  EXPECT_FALSE(names_folder(token));
  // Drives: the bare letter, with and without its backslash.
  EXPECT_TRUE(folder("C:"));
  EXPECT_TRUE(folder("c:\\"));
  EXPECT_FALSE(folder("Q:"));  // no drive Q in the test prefix
  // Forward slashes become backslashes, a trailing one included.
  std::string slashed = base + "/plain/", converted;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  EXPECT_TRUE(folder(slashed, &converted));
  EXPECT_EQ(converted, base + "\\plain\\");
}

TEST_F(FolderTest, SettingsStayBesideAWritableProgramFolder) {
  const std::string program = (root / "plain").string() + "\\";
  const variant place =
      settings_file_place(variant(program.c_str()), variant((root / "appdata").string().c_str()));
  EXPECT_EQ(std::string(place.c_str()), program + "settings.ini");
  EXPECT_FALSE(std::filesystem::exists(root / "appdata"));
}

TEST_F(FolderTest, AReadOnlyProgramFolderSendsTheSettingsToTheUsersDataSeededOnce) {
  // Nothing can be created in /proc, not even by root.
  variant proc("Z:\\proc\\");
  EXPECT_FALSE(folder_writable(proc));
  variant writable(root.string().c_str());
  EXPECT_TRUE(folder_writable(writable));
  EXPECT_TRUE(std::filesystem::is_empty(root / "plain"));

  // A program folder where the write test's scratch name is taken by a folder
  // cannot take the scratch file either: it stands in for a protected
  // Program Files folder that holds the shipped settings.
  const std::filesystem::path program = root / "program";
  std::filesystem::create_directories(program / "~lumadir-write-test.tmp");
  FILE* f = std::fopen((program / "settings.ini").string().c_str(), "wb");
  std::fputs("<shipped/>\n", f);
  std::fclose(f);
  const std::string program_folder = program.string() + "\\";
  const variant user_data((root / "appdata").string().c_str());

  const variant place = settings_file_place(variant(program_folder.c_str()), user_data);
  const std::filesystem::path expected = root / "appdata" / "VEXA" / "Lumadir" / "settings.ini";
  EXPECT_EQ(std::string(place.c_str()), expected.string());
  variant copy(place), text("");
  ASSERT_TRUE(read_whole_file(copy, text));
  EXPECT_STREQ(text.c_str(), "<shipped/>\n");

  // The user's copy is never overwritten by the shipped one again.
  f = std::fopen(expected.string().c_str(), "wb");
  std::fputs("<changed/>\n", f);
  std::fclose(f);
  settings_file_place(variant(program_folder.c_str()), user_data);
  text = "";
  ASSERT_TRUE(read_whole_file(copy, text));
  EXPECT_STREQ(text.c_str(), "<changed/>\n");

  // Without a data folder the program folder is all there is.
  EXPECT_EQ(std::string(settings_file_place(variant(program_folder.c_str()), variant("")).c_str()),
            program_folder + "settings.ini");
}

}  // namespace
}  // namespace lumadir
