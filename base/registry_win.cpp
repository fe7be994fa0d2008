#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

#include "base/owned_win.h"
#include "base/registry.h"
#include "base/registry_system.h"
#include "base/text_encoding.h"

namespace lumadir {

HKEY system_registry_root(registry_root root) noexcept {
  switch (root) {
    case registry_root::classes_root:
      return HKEY_CLASSES_ROOT;
    case registry_root::current_user:
      return HKEY_CURRENT_USER;
    case registry_root::local_machine:
      return HKEY_LOCAL_MACHINE;
  }
  return HKEY_CURRENT_USER;
}

// The key at `path` under the root, opened for `access`; empty when it cannot be.
static owned_key open_key(registry_root root, const variant& path, REGSAM access) noexcept {
  owned_key key;
  if (RegOpenKeyExA(system_registry_root(root), path.c_str(), 0, access, key.put()) !=
      ERROR_SUCCESS)
    key.release();  // a failed open leaves nothing to close
  return key;
}

static variant value_from(DWORD type, const char* data, DWORD size) {
  variant v("");
  const int32_t n = static_cast<int32_t>(size);
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      v.assign(data, n > 0 ? n - 1 : 0);
      break;
    case REG_MULTI_SZ:
      v.assign(data, n > 1 ? n - 2 : 0);
      break;
    case REG_BINARY:
      v.assign(data, n);
      break;
    case REG_DWORD: {
      int32_t number = 0;
      std::memcpy(&number, data, size < 4 ? size : 4);
      v = number;
      break;
    }
    default:
      break;
  }
  return v;
}

bool read_registry_values(registry_root root, const variant& key, variant_map& values) noexcept {
  const owned_key k = open_key(root, key, KEY_READ);
  if (!k) return false;
  DWORD longest = 0;
  if (RegQueryInfoKeyA(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, &longest, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  byte_text buffer;
  buffer.reset(static_cast<int32_t>(longest) + 8);  // room for a missing terminator
  if (!buffer.data()) return false;
  variant name, value;
  values.start();
  while (values.next(name, value)) {
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(buffer.length());
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
      continue;
    values.put(name, value_from(type, buffer.data(), size));
  }
  return true;
}

bool write_registry_values(registry_root root, const variant& key, variant_map& values) noexcept {
  const owned_key k = open_key(root, key, KEY_WRITE);
  if (!k) return false;
  bool all_written = true;
  variant name, value;
  values.start();
  while (values.next(name, value)) {
    LONG status;
    switch (value.kind()) {
      case variant_kind::text: {
        const char* text = value.c_str();
        status =
            RegSetValueExA(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           static_cast<DWORD>(value.length()) + 1);
        break;
      }
      case variant_kind::boolean:
      case variant_kind::integer: {
        const DWORD number = static_cast<DWORD>(value.as_int());
        status = RegSetValueExA(k.get(), name.c_str(), 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&number), sizeof number);
        break;
      }
      case variant_kind::real: {
        const double number = value.as_real();
        status = RegSetValueExA(k.get(), name.c_str(), 0, REG_BINARY,
                                reinterpret_cast<const BYTE*>(&number), sizeof number);
        break;
      }
      default:
        status = RegSetValueExA(k.get(), name.c_str(), 0, REG_NONE, nullptr, 0);
        break;
    }
    if (status != ERROR_SUCCESS) all_written = false;
  }
  return all_written;
}

bool create_registry_key(registry_root root, const variant& key) noexcept {
  owned_key created;
  if (RegCreateKeyExA(system_registry_root(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, created.put(), nullptr) != ERROR_SUCCESS) {
    created.release();
    return false;
  }
  return true;
}

key_path_result make_registry_key_path(registry_root root, const variant& key) noexcept {
  if (open_key(root, key, KEY_READ)) return key_path_result::existed;
  variant built("");
  const char* p = key.c_str();
  const int32_t length = key.length();
  int32_t start = 0;
  for (int32_t i = 0; i <= length; ++i) {
    if (i < length && p[i] != '\\') continue;
    built.append(p + start, i - start);
    if (!create_registry_key(root, built)) return key_path_result::failed;
    built.append('\\');
    start = i + 1;
  }
  return key_path_result::created;
}

bool delete_registry_tree(registry_root root, const variant& key) noexcept {
  return RegDeleteTreeA(system_registry_root(root), key.c_str()) == ERROR_SUCCESS;
}

// One value, all-users key first, then the user's.
static bool well_known_folder(const char* key, const char* all_users, const char* own,
                              variant& path) {
  path = "";
  const struct {
    registry_root root;
    const char* name;
  } places[] = {{registry_root::local_machine, all_users}, {registry_root::current_user, own}};
  for (const auto& place : places) {
    variant_map values;
    values.put(variant(place.name), variant(""));
    if (read_registry_values(place.root, variant(key), values)) {
      const variant* found = values.find(variant(place.name));
      if (found && found->length() > 0) {
        path.assign_text_of(*found);
        return true;
      }
    }
  }
  return false;
}

static const char shell_folders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool registry_subkey_names(registry_root root, const variant& key, const char* prefix,
                           variant_map& names) noexcept {
  owned_key opened;
  utf16_text path;
  if (!path.assign_wtf8(key.c_str(), key.length())) return false;
  if (RegOpenKeyExW(system_registry_root(root), reinterpret_cast<const wchar_t*>(path.data()), 0,
                    KEY_ENUMERATE_SUB_KEYS, opened.put()) != ERROR_SUCCESS) {
    opened.release();
    return false;
  }
  const size_t prefix_length = std::strlen(prefix);
  wchar_t name[256];  // the longest key name the registry allows is 255
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    const LONG status =
        RegEnumKeyExW(opened.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    variant text =
        wtf8_from_utf16(reinterpret_cast<const char16_t*>(name), static_cast<int32_t>(length));
    if (static_cast<size_t>(text.length()) < prefix_length ||
        std::strncmp(text.c_str(), prefix, prefix_length) != 0)
      continue;
    text.to_lower();
    names.put(text, variant(1));
  }
  return true;
}

bool programs_folder(variant& path) noexcept {
  return well_known_folder(shell_folders, "Common Programs", "Programs", path);
}

bool desktop_folder(variant& path) noexcept {
  return well_known_folder(shell_folders, "Common Desktop", "Desktop", path);
}

bool program_files_folder(variant& path) noexcept {
  return well_known_folder("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                           "ProgramFilesDir", path);
}

bool user_data_folder(variant& path) noexcept {
  wchar_t buffer[MAX_PATH];  // the size the call is documented to take
  path = "";
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, buffer)))
    return false;
  path = wtf8_from_utf16(reinterpret_cast<const char16_t*>(buffer),
                         static_cast<int32_t>(lstrlenW(buffer)));
  return path.length() > 0;
}

}  // namespace lumadir
