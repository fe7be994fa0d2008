// The host has no registry: every key is missing, so callers take their
// fall-backs (the Type column its "extension file" text).
#include "base/registry.h"

namespace lumadir {

bool read_registry_values(registry_root, const variant&, variant_map&) noexcept {
  return false;
}
bool write_registry_values(registry_root, const variant&, variant_map&) noexcept {
  return false;
}
bool create_registry_key(registry_root, const variant&) noexcept {
  return false;
}
key_path_result make_registry_key_path(registry_root, const variant&) noexcept {
  return key_path_result::failed;
}
bool delete_registry_tree(registry_root, const variant&) noexcept {
  return false;
}
bool registry_subkey_names(registry_root, const variant&, const char*, variant_map&) noexcept {
  return false;
}

bool programs_folder(variant& path) noexcept {
  path = "";
  return false;
}
bool desktop_folder(variant& path) noexcept {
  path = "";
  return false;
}
bool program_files_folder(variant& path) noexcept {
  path = "";
  return false;
}

bool user_data_folder(variant& path) noexcept {
  path = "";
  return false;
}

}  // namespace lumadir
