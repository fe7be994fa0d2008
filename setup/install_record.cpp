#include "setup/install_record.h"

#include <windows.h>

#include <memory>
#include <new>

#include "setup/install_items.h"
#include "setup/install_keys.h"

namespace lumadir {

const char made_files_value[] = "made_files";
const char made_settings_value[] = "made_settings";
const char made_folders_value[] = "made_folders";

bool read_path_list(const char* value_name, variant_list& paths) noexcept {
  paths.clear();
  const owned_key key =
      install_keys::open(registry_root::local_machine, install_items::product_key, KEY_READ);
  if (!key) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), value_name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_MULTI_SZ)
    return false;
  // Room for the terminators a careless writer may have left out.
  std::unique_ptr<char[]> data(new (std::nothrow) char[size + 2]);
  if (!data || RegQueryValueExA(key.get(), value_name, nullptr, &type,
                                reinterpret_cast<BYTE*>(data.get()), &size) != ERROR_SUCCESS)
    return false;
  split_multi_string(data.get(), static_cast<int32_t>(size), paths);
  return true;
}

variant multi_string_of(const variant_list& paths) noexcept {
  variant data("");
  for (variant_list::node* n = paths.first(); n; n = n->next) {
    data.append(n->value.c_str(), n->value.length());
    data.append('\0');
  }
  data.append('\0');
  return data;
}

void split_multi_string(const char* data, int32_t length, variant_list& paths) noexcept {
  paths.clear();
  int32_t start = 0;
  for (int32_t i = 0; i <= length; ++i) {
    if (i < length && data[i] != '\0') continue;
    if (i == start) break;  // the empty string that ends the list
    paths.push(variant(data + start, i - start));
    start = i + 1;
  }
}

bool holds_path(const variant_list& paths, const variant& path) noexcept {
  for (variant_list::node* n = paths.first(); n; n = n->next)
    if (variant::compare_ignoring_case(n->value, path) == 0) return true;
  return false;
}

void add_path(variant_list& paths, const variant& path) noexcept {
  if (!holds_path(paths, path)) paths.push_copy(path);
}

}  // namespace lumadir
