// Named values of registry keys as variants, key creation, and the well-known
// folders the installer and the windows need.
#pragma once

#include "base/variant.h"
#include "base/variant_map.h"

namespace lumadir {

enum class registry_root { classes_root, current_user, local_machine };

// Reads every name of the map from the key; names the key does not hold keep the
// caller's defaults. False, with the map unchanged, when the key cannot be read.
//   REG_SZ, REG_EXPAND_SZ -> text less the final zero (no expansion)
//   REG_MULTI_SZ -> text less the two final zeros, inner zeros kept
//   REG_BINARY -> text of the bytes; REG_DWORD -> integer; other -> empty text
bool read_registry_values(registry_root root, const variant& key, variant_map& values) noexcept;
// Writes every value of the map into an existing key: text as REG_SZ, boolean and
// integer as REG_DWORD, real as the 8 bytes of REG_BINARY, anything else REG_NONE.
// False when the key cannot be opened for writing or a value was not written
// (the others are still written).
[[nodiscard]] bool write_registry_values(registry_root root, const variant& key,
                                         variant_map& values) noexcept;
bool create_registry_key(registry_root root, const variant& key) noexcept;

// What make_registry_key_path did.
enum class [[nodiscard]] key_path_result : int{created = 0, existed = 1, failed = -1};
// Makes the key and its missing parents; failed when making one of them failed.
key_path_result make_registry_key_path(registry_root root, const variant& key) noexcept;
bool delete_registry_tree(registry_root root, const variant& key) noexcept;
// The names of the key's direct subkeys that begin with `prefix`, lower-cased,
// as the keys of `names` (values 1). False when the key cannot be listed.
bool registry_subkey_names(registry_root root, const variant& key, const char* prefix,
                           variant_map& names) noexcept;

// The all-users folder when the system names one, else the user's own; the out
// path is emptied first and stays empty when neither is found.
bool programs_folder(variant& path) noexcept;
bool desktop_folder(variant& path) noexcept;
bool program_files_folder(variant& path) noexcept;
// The user's roaming application-data folder, ending without a backslash.
bool user_data_folder(variant& path) noexcept;

}  // namespace lumadir
