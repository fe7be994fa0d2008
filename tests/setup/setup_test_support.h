// Shared by the installation and removal tests: a fresh copy of the product
// folder per test, the registry and file facts they read back, a picture of
// everything an installation may touch (to show that a step undone or a
// removal declined leaves it exactly as it was), and remove.exe run as a
// process whose boxes are answered like a user would.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/registry.h"
#include "base/variant_map.h"
#include "setup/installation.h"
#include "setup/install_items.h"
#include "setup/install_record.h"

namespace lumadir {

extern std::filesystem::path product;  // build/dist
extern std::filesystem::path drive_m;  // the folder drive M: shows

inline std::string registry_text(registry_root root, const char* key, const char* name) {
  variant_map values;
  values.put(variant(name), variant("\x01missing"));
  if (!read_registry_values(root, variant(key), values)) return "\x01no key";
  return values.find(variant(name))->c_str();
}

// A list the installation recorded (setup/install_record.h).
inline std::vector<std::string> recorded(const char* value) {
  variant_list paths;
  read_path_list(value, paths);
  std::vector<std::string> out;
  for (variant_list::node* n = paths.first(); n; n = n->next) out.push_back(n->value.c_str());
  return out;
}

inline bool holds(const std::vector<std::string>& list, const std::string& item) {
  for (const std::string& entry : list)
    if (entry == item) return true;
  return false;
}

inline bool registry_key_exists(HKEY root, const char* key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

// A DACL that lets everyone read a key but nobody write it.
inline void deny_writing(const char* key) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &opened, nullptr),
            ERROR_SUCCESS);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
      "D:P(A;;KR;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
  EXPECT_EQ(RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
  LocalFree(descriptor);
  RegCloseKey(opened);
}

inline void allow_writing(const char* key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, WRITE_DAC, &opened) != ERROR_SUCCESS) return;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1,
                                                       &descriptor, nullptr);
  RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  RegCloseKey(opened);
}

inline std::string read_text(const std::filesystem::path& path) {
  variant p(path.string().c_str()), out("");
  if (!read_whole_file(p, out)) return "";  // missing or unreadable: no text
  return out.c_str();
}

inline void write_text(const std::filesystem::path& path, const char* text) {
  FILE* f = std::fopen(path.string().c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fputs(text, f);
  std::fclose(f);
}

inline std::string known_folder(bool (*find)(variant&)) {
  variant path("");
  find(path);
  return path.c_str();
}

// Every value under a key and its subkeys, as "key\name" -> type and data.
inline void dump_key(HKEY root, const std::string& key, std::map<std::string, std::string>& out) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
  out[key + "\\"] = "<key>";
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD name_length = sizeof name;
    BYTE data[65536];
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(opened, i, name, &name_length, nullptr, &type, data, &size) != ERROR_SUCCESS)
      break;
    out[key + "\\" + name] =
        std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), size);
  }
  std::vector<std::string> subkeys;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD length = sizeof name;
    if (RegEnumKeyExA(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    subkeys.push_back(name);
  }
  RegCloseKey(opened);
  for (const std::string& sub : subkeys) dump_key(root, key + "\\" + sub, out);
}

// What an installation may touch: the folders given (every file with its
// contents), the programs menu's and the desktop's Lumadir shortcuts, the
// per-user settings folder, and its registry keys.
struct machine_state {
  std::map<std::string, std::string> entries;
  bool operator==(const machine_state&) const = default;
};

inline void add_tree(const std::filesystem::path& root, machine_state& state) {
  std::error_code error;
  if (!std::filesystem::exists(root, error)) return;
  state.entries[root.string()] =
      std::filesystem::is_directory(root, error) ? "<folder>" : read_text(root);
  if (!std::filesystem::is_directory(root, error)) return;
  for (auto it = std::filesystem::recursive_directory_iterator(root, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    state.entries[it->path().string()] = it->is_directory() ? "<folder>" : read_text(it->path());
  }
}

inline machine_state picture_of(const std::vector<std::filesystem::path>& folders) {
  machine_state state;
  for (const auto& folder : folders) add_tree(folder, state);
  add_tree(std::filesystem::path(known_folder(programs_folder)) / "VEXA Lumadir", state);
  add_tree(std::filesystem::path(known_folder(desktop_folder)) / "VEXA Lumadir.lnk", state);
  add_tree(std::filesystem::path(known_folder(user_data_folder)) / "VEXA", state);
  dump_key(HKEY_LOCAL_MACHINE, "Software\\VEXA", state.entries);
  dump_key(HKEY_LOCAL_MACHINE, install_items::uninstall_key, state.entries);
  dump_key(HKEY_CLASSES_ROOT, install_items::folder_verb_key, state.entries);
  return state;
}

// What an undo could not put back, for a failure message.
inline std::string listed(const variant_list& list) {
  std::string text;
  for (variant_list::node* n = list.first(); n; n = n->next)
    text += std::string(n->value.c_str()) + "\n";
  return text;
}

// The differences, for a failure message.
inline std::string difference(const machine_state& a, const machine_state& b) {
  std::string text;
  for (const auto& [key, value] : a.entries) {
    auto found = b.entries.find(key);
    if (found == b.entries.end())
      text += "  only before: " + key + "\n";
    else if (found->second != value)
      text += "  changed: " + key + "\n";
  }
  for (const auto& [key, value] : b.entries)
    if (!a.entries.count(key)) text += "  only after: " + key + "\n";
  return text;
}

// Everything an installation in the test prefix may have left, cleared.
inline void clear_installation() {
  delete_registry_tree(registry_root::local_machine, variant("Software\\VEXA"));
  delete_registry_tree(registry_root::local_machine, variant(install_items::uninstall_key));
  delete_registry_tree(registry_root::classes_root, variant(install_items::folder_verb_key));
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(known_folder(programs_folder)) / "VEXA Lumadir",
                              ignored);
  std::filesystem::remove(std::filesystem::path(known_folder(desktop_folder)) / "VEXA Lumadir.lnk",
                          ignored);
  std::filesystem::remove_all(std::filesystem::path(known_folder(user_data_folder)) / "VEXA",
                              ignored);
}

class InstallationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  void SetUp() override {
    clear_installation();
    scratch = std::filesystem::temp_directory_path() / "lumadir-installation";
    // The product folder is current after each build_list, and a current
    // folder cannot be removed.
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    ASSERT_FALSE(std::filesystem::exists(scratch)) << ignored.message();
    std::filesystem::create_directories(scratch);
    source = scratch / "product";
    std::filesystem::copy(product, source, std::filesystem::copy_options::recursive);
    variant missing("");
    ASSERT_TRUE(items.build_list(variant((source.string() + "\\").c_str()), missing))
        << missing.c_str();
  }
  void TearDown() override {
    clear_installation();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    for (const auto& entry : std::filesystem::directory_iterator(drive_m, ignored))
      std::filesystem::remove_all(entry.path(), ignored);
  }
  install_result install_to(const std::string& target, bool desktop = true, bool verb = true,
                            bool replace = false) {
    return items.install(variant(target.c_str()), desktop, verb, nullptr, nullptr, nullptr,
                         replace);
  }
  std::filesystem::path scratch, source;
  installation items;
};

// A file held open without sharing: Wine lets root write a read-only file,
// but nobody moves, replaces or deletes one held so.
class held_file {
 public:
  explicit held_file(const std::filesystem::path& path)
      : handle_(CreateFileW(path.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr)) {}
  ~held_file() { release(); }
  void release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

struct box_seen {
  std::string text;
};

struct process_outcome {
  std::vector<box_seen> boxes;
  DWORD exit_code = 259;
};

// Runs a program and plays the user: each box is read, then answered with the
// next of `answers` (IDYES, IDNO, IDOK), or OK when they are used up.
inline process_outcome run_answering(const std::filesystem::path& exe, const std::string& arguments,
                                     std::vector<int> answers = {}) {
  process_outcome result;
  std::wstring command =
      L"\"" + exe.wstring() + L"\" " + std::wstring(arguments.begin(), arguments.end());
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(exe.wstring().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &start, &process)) {
    ADD_FAILURE() << "cannot start " << exe;
    return result;
  }
  size_t answered = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
    if (std::chrono::steady_clock::now() > end) {
      ADD_FAILURE() << "the program did not end";
      TerminateProcess(process.hProcess, 1);
      break;
    }
    struct finder {
      DWORD process;
      HWND box;
    } find{process.dwProcessId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
          auto* f = reinterpret_cast<finder*>(data);
          DWORD pid = 0;
          GetWindowThreadProcessId(window, &pid);
          char cls[64] = {};
          GetClassNameA(window, cls, sizeof cls);
          if (pid != f->process || !IsWindowVisible(window) || std::string(cls) != "#32770")
            return TRUE;
          f->box = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&find));
    if (!find.box) continue;
    char text[4096] = {};
    SendMessageTimeoutA(GetDlgItem(find.box, 0xFFFF), WM_GETTEXT, sizeof text,
                        reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    result.boxes.push_back({text});
    const int answer = answered < answers.size() ? answers[answered++] : IDOK;
    PostMessageA(find.box, WM_COMMAND, answer, 0);
    Sleep(300);  // gone before the next look
  }
  GetExitCodeProcess(process.hProcess, &result.exit_code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return result;
}

}  // namespace lumadir
