// lumadir.exe as a process: copied under several names into folders that lack
// one file or another, started, and watched from outside. Its message boxes
// are read and answered like a user would; every start must end with exit
// code 0 after at most one box.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "base/phrase_table.h"

namespace lumadir {
namespace {

std::filesystem::path program_exe;  // the built lumadir.exe
std::filesystem::path data_folder;  // the shipped data files
std::filesystem::path dist_folder;  // the product folder with setup.exe

struct box_seen {
  std::string title, text;
};

struct outcome {
  std::vector<box_seen> boxes;
  bool main_window = false;
  std::string folder_box;    // the main window's folder field
  std::wstring folder_wide;  // the same, read as UTF-16
  DWORD exit_code = 259;
};

struct windows_of {
  DWORD process;
  std::vector<HWND> found;
};

std::vector<HWND> top_windows(DWORD process) {
  windows_of w{process, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* w = reinterpret_cast<windows_of*>(data);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == w->process && IsWindowVisible(window)) w->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&w));
  return w.found;
}

std::string text_of(HWND window) {
  char text[1024] = {};
  // WM_GETTEXT is carried across processes, unlike GetWindowText on controls.
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

std::wstring wide_text_of(HWND window) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      2000, nullptr);
  return text;
}

// Starts the program and plays the user: reads and confirms every box, and
// closes the main window once it is there. The command line goes in wide, as
// the shell passes a folder verb's "%1".
outcome run(const std::filesystem::path& exe, const std::wstring& arguments) {
  outcome result;
  std::wstring command = L"\"" + exe.wstring() + L"\" " + arguments;
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION process = {};
  // Under Wine a start right after the folder was made anew has been seen to
  // fail once in a while; a few tries tell that from a program that cannot start.
  DWORD error = 0;
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (CreateProcessW(exe.wstring().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &start, &process)) {
      error = 0;
      break;
    }
    error = GetLastError();
    Sleep(200);
  }
  if (error != 0) {
    ADD_FAILURE() << "cannot start " << exe << ": error " << error;
    return result;
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
    if (std::chrono::steady_clock::now() > end) {
      ADD_FAILURE() << "the program did not end";
      TerminateProcess(process.hProcess, 1);
      break;
    }
    for (HWND window : top_windows(process.dwProcessId)) {
      char cls[64] = {};
      GetClassNameA(window, cls, sizeof cls);
      if (std::string(cls) == "#32770") {
        result.boxes.push_back({text_of(window), text_of(GetDlgItem(window, 0xFFFF))});
        PostMessageA(window, WM_COMMAND, IDOK, 0);
        Sleep(200);  // gone before the next look
      } else if (std::string(cls) == "TLumadir" && !result.main_window) {
        result.main_window = true;
        Sleep(300);
        result.folder_box = text_of(GetDlgItem(window, 206));
        result.folder_wide = wide_text_of(GetDlgItem(window, 206));
        PostMessageA(window, WM_CLOSE, 0, 0);
      }
    }
  }
  GetExitCodeProcess(process.hProcess, &result.exit_code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return result;
}

outcome run(const std::filesystem::path& exe, const std::string& arguments = "") {
  std::wstring wide(arguments.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, arguments.data(), static_cast<int>(arguments.size()),
                                  wide.data(), static_cast<int>(wide.size())));
  return run(exe, wide);
}

class StartUp : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder =
        std::filesystem::temp_directory_path() / (std::string("lumadir-start-") + info->name());
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    variant error("");
    ASSERT_EQ(language.load(variant((data_folder / "vxlang.xml").string().c_str()), error),
              phrase_load::loaded);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  // The program under `name`, with every file it needs but those left out.
  std::filesystem::path install(const std::string& name, std::vector<std::string> left_out = {}) {
    const auto wanted = [&](const std::string& file) {
      for (const std::string& l : left_out)
        if (l == file) return false;
      return true;
    };
    std::filesystem::copy_file(program_exe, folder / name);
    if (wanted("vx_regex.dll"))
      std::filesystem::copy_file(program_exe.parent_path() / "vx_regex.dll",
                                 folder / "vx_regex.dll");
    for (const char* file : {"vxlang.xml", "format.xml", "settings.ini"})
      if (wanted(file)) std::filesystem::copy_file(data_folder / file, folder / file);
    return folder / name;
  }
  void write(const char* name, const char* text) {
    FILE* f = std::fopen((folder / name).string().c_str(), "wb");
    std::fputs(text, f);
    std::fclose(f);
  }
  std::filesystem::path folder;
  phrase_table language;
};

TEST_F(StartUp, LumadirExeInAnyCaseRunsTheListingProgram) {
  for (const char* name : {"lumadir.exe", "LUMADIR.EXE", "LumaDir.Exe"}) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    const outcome o = run(install(name));
    EXPECT_TRUE(o.main_window) << name;
    EXPECT_TRUE(o.boxes.empty()) << name;
    EXPECT_EQ(o.exit_code, 0u) << name;
  }
}

TEST_F(StartUp, TheCommandLineFolderReachesTheFolderBoxOnlyWhenItExists) {
  const auto exe = install("lumadir.exe");
  std::filesystem::create_directories(folder / "My Files");
  const std::string listed = (folder / "My Files").string();
  outcome o = run(exe, "\"" + listed + "\"");
  EXPECT_EQ(o.folder_box, listed);
  o = run(exe, "\"" + (folder / "missing").string() + "\"");
  EXPECT_TRUE(o.main_window);
  EXPECT_EQ(o.folder_box, "");
  // Unquoted, the name stops at its space: no such folder.
  o = run(exe, listed);
  EXPECT_EQ(o.folder_box, "");
  EXPECT_EQ(o.exit_code, 0u);

  // A name of any characters arrives whole.
  const std::filesystem::path japanese = folder / L"\u65E5\u672C\u8A9E \U0001F600";
  std::filesystem::create_directories(japanese);
  o = run(exe, L"\"" + japanese.wstring() + L"\"");
  EXPECT_EQ(o.folder_wide, japanese.wstring());
}

TEST_F(StartUp, AnyOtherNameEndsSilentlyButStillNeedsTheLibraryAndLanguage) {
  outcome o = run(install("lister.exe"));
  EXPECT_FALSE(o.main_window);
  EXPECT_TRUE(o.boxes.empty());
  EXPECT_EQ(o.exit_code, 0u);

  std::filesystem::remove(folder / "vx_regex.dll");
  o = run(folder / "lister.exe");
  ASSERT_EQ(o.boxes.size(), 1u);
  EXPECT_EQ(o.boxes[0].text, "Can't load vx_regex.dll");
  EXPECT_EQ(o.exit_code, 0u);
}

TEST_F(StartUp, SetupExeInCapitalsIsTheInstallerAndReadsItsOwnLanguageFile) {
  // The installer's language file is missing here, so its load error shows:
  // proof that SETUP.EXE took the installer's road, not the listing one.
  const outcome o = run(install("SETUP.EXE"));
  ASSERT_EQ(o.boxes.size(), 1u);
  EXPECT_EQ(o.boxes[0].title, "Error");
  EXPECT_FALSE(o.main_window);
  EXPECT_EQ(o.exit_code, 0u);
}

TEST_F(StartUp, TheInstallerStopsBeforeItsFirstPageWhenARequiredItemIsMissing) {
  phrase_table setup_words;
  variant error("");
  ASSERT_EQ(setup_words.load(variant((dist_folder / "setup_lang.xml").string().c_str()), error),
            phrase_load::loaded);
  // A file, and a folder item alone (every file present): each is named.
  for (const char* left_out : {"logo.gif", "images"}) {
    std::error_code ignored;
    std::filesystem::remove_all(folder / "product", ignored);
    std::filesystem::copy(dist_folder, folder / "product",
                          std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(folder / "product" / left_out);
    const outcome o = run(folder / "product" / "setup.exe");
    ASSERT_EQ(o.boxes.size(), 1u) << left_out;
    EXPECT_EQ(o.boxes[0].title, "Lumadir 2.0");
    EXPECT_EQ(o.boxes[0].text,
              std::string(setup_words.phrase_text(1)) + left_out + setup_words.phrase_text(6));
    EXPECT_FALSE(o.main_window);
    EXPECT_EQ(o.exit_code, 0u);
  }
}

TEST_F(StartUp, AMissingLibraryOrDataFileEndsWithItsOneMessage) {
  struct row {
    const char* left_out;
    const char* broken_text;  // written in its place when given
    std::string title, text_start;
  };
  const row rows[] = {
      {"vx_regex.dll", nullptr, "Lumadir 2.0", "Can't load vx_regex.dll"},
      {"vxlang.xml", nullptr, "Error", ""},
      {"vxlang.xml", "<langs><lang short=\"en\" full=\"E\">", "Error", ""},
      // An empty "langs" loads as a table without words: refused like no languages.
      {"vxlang.xml", "<langs></langs>", "Error", "No languages found"},
      {"format.xml", nullptr, "Lumadir 2.0", language.phrase_text(146)},
      {"format.xml", "<langs><lang short=\"en\"", "Lumadir 2.0", language.phrase_text(146)},
      {"format.xml", "<langs></langs>", "Lumadir 2.0",
       std::string(language.phrase_text(146)) + "No languages found"},
      {"settings.ini", nullptr, "Lumadir 2.0", language.phrase_text(140)},
      {"settings.ini", "<order_files>1</order_files>\n", "Lumadir 2.0", language.phrase_text(140)},
  };
  for (const row& r : rows) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    const auto exe = install("lumadir.exe", {r.left_out});
    if (r.broken_text) write(r.left_out, r.broken_text);
    const outcome o = run(exe);
    const std::string what = std::string(r.left_out) + (r.broken_text ? " broken" : " missing");
    ASSERT_EQ(o.boxes.size(), 1u) << what << " exit " << o.exit_code << " main " << o.main_window;
    EXPECT_EQ(o.boxes[0].title, r.title) << what;
    EXPECT_EQ(o.boxes[0].text.rfind(r.text_start, 0), 0u) << what << ": " << o.boxes[0].text;
    if (r.text_start == language.phrase_text(146)) {
      EXPECT_GT(o.boxes[0].text.size(), r.text_start.size()) << what;  // the reason follows
    }
    EXPECT_FALSE(o.main_window) << what;
    EXPECT_EQ(o.exit_code, 0u) << what;
  }
}

}  // namespace
}  // namespace lumadir

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: startup_process_tests LUMADIR.EXE DATA-FOLDER DIST-FOLDER\n");
    return 2;
  }
  lumadir::program_exe = argv[1];
  lumadir::data_folder = argv[2];
  lumadir::dist_folder = argv[3];
  return RUN_ALL_TESTS();
}
