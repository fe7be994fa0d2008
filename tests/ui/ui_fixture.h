// The main window as start-up builds it, in a scratch program folder holding
// copies of the shipped data files, with every message box, shell open and
// beep recorded instead of shown.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/message_box.h"
#include "base/phrase_table.h"
#include "base/regex_binding.h"
#include "base/shell.h"
#include "engine/settings_file.h"
#include "ui/main_window.h"
#include "window_kit/message_loop.h"

namespace lumadir::testing {

struct recorded_box {
  void* owner;
  std::string text, title;
  uint32_t kind;
};

inline std::vector<recorded_box> boxes;
inline std::vector<std::string> opened;
inline bool shell_answer = true;
inline int beeps = 0;

inline void record_box(void* owner, const char* text, const char* title, uint32_t kind) {
  boxes.push_back({owner, text, title, kind});
}
inline bool record_open(const char*, const char* target) {
  opened.push_back(target);
  return shell_answer;
}
inline void record_beep() {
  ++beeps;
}

inline std::string read_text(const std::filesystem::path& path) {
  variant p(path.string().c_str()), out("");
  if (!read_whole_file(p, out)) return "";  // missing or unreadable: no text
  return out.c_str();
}

inline void write_text(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  FILE* f = std::fopen(path.string().c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

// Handles what is waiting, as the program's loop would.
inline void pump_messages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    if (pretranslate_message(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Pumps until the condition holds; false after the time limit.
inline bool pump_until(const std::function<bool()>& done, int milliseconds = 20000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    pump_messages();
    Sleep(5);
  }
  return true;
}

class ui_test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(load_regex_library()); }

  void SetUp() override {
    boxes.clear();
    opened.clear();
    beeps = 0;
    shell_answer = true;
    set_message_box_hook(record_box);
    set_shell_open_hook(record_open);
    set_beep_hook(record_beep);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    scratch = std::filesystem::temp_directory_path() /
              (std::string("lumadir-ui-") + info->test_suite_name() + "-" + info->name());
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    program = scratch / "program";
    std::filesystem::create_directories(program);
    for (const char* name : {"vxlang.xml", "format.xml", "settings.ini", "filter.txt"})
      std::filesystem::copy_file(std::filesystem::path(LUMADIR_SOURCE_DATA) / name, program / name);
    variant error("");
    ASSERT_EQ(language.load(variant((program / "vxlang.xml").string().c_str()), error),
              phrase_load::loaded);
    ASSERT_EQ(format.load(variant((program / "format.xml").string().c_str()), error),
              phrase_load::loaded);
  }

  void TearDown() override {
    window.reset();
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    set_message_box_hook(nullptr);
    set_shell_open_hook(nullptr);
    set_beep_hook(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
  }

  // Builds the main window as start-up does.
  void open_main_window() {
    window = std::make_unique<TLumadir>();
    window->build();
    ASSERT_TRUE(window->created());
    settings_path = program / "settings.ini";
    window->set_settings_path(variant(settings_path.string().c_str()));
    ASSERT_EQ(read_settings(*window->settings(), window->settings_path()), 0);
    std::string folder = program.string();
    for (char& c : folder)
      if (c == '/') c = '\\';
    folder += '\\';
    window->set_program_folder(variant(folder.c_str()));
    window->settings()->language_phrases = &language;
    window->settings()->format_phrases = &format;
    window->set_phrases(&language);
    window->localize();
  }

  HWND main() const { return window->handle(); }
  // A click on a control, or a menu command (id of a menu item).
  void click(int32_t id) {
    HWND control = window->control(id);
    SendMessageA(main(), WM_COMMAND, MAKEWPARAM(id, control ? BN_CLICKED : 0),
                 reinterpret_cast<LPARAM>(control));
  }
  bool enabled(int32_t id) const { return IsWindowEnabled(window->control(id)); }
  bool menu_enabled(int32_t id) const {
    return !(GetMenuState(window->menu(), static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED);
  }
  std::string phrase(int32_t id) const { return language.phrase_text(id); }
  std::string status() const { return window->status_text().c_str(); }
  std::string folder_text() const {
    char text[MAX_PATH] = {};
    GetWindowTextA(window->control(id_Edit1), text, MAX_PATH);
    return text;
  }
  void type_folder(const std::filesystem::path& folder) {
    SetWindowTextA(window->control(id_Edit1), folder.string().c_str());
  }
  bool run_ended() const { return !window->running(); }

  std::filesystem::path scratch, program, settings_path;
  phrase_table language, format;
  std::unique_ptr<TLumadir> window;
};

}  // namespace lumadir::testing
