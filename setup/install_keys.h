// The registry keys the installer and remove.exe work on directly (Windows
// only): one key opened, tested or made, each closed by its owner.
#pragma once

#include <windows.h>

#include "base/owned_win.h"
#include "base/registry_system.h"

namespace lumadir::install_keys {

// The key opened with `access`, or an empty owner.
inline owned_key open(registry_root root, const char* key, REGSAM access) noexcept {
  owned_key opened;
  if (RegOpenKeyExA(system_registry_root(root), key, 0, access, opened.put()) != ERROR_SUCCESS)
    opened.reset();
  return opened;
}

inline bool exists(registry_root root, const char* key) noexcept {
  return open(root, key, KEY_READ).valid();
}

// Makes the key, whose parent must exist; true when it is there afterwards.
inline bool create(registry_root root, const char* key) noexcept {
  owned_key made;
  return RegCreateKeyExA(system_registry_root(root), key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, made.put(), nullptr) == ERROR_SUCCESS;
}

}  // namespace lumadir::install_keys
