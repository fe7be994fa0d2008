// The parts of the file layer that are built on its own handle operations, the
// same on every platform.
#include "base/file_system.h"

#include <atomic>
#include <cstdlib>

#include "base/regex_binding.h"

namespace lumadir {

static std::atomic<write_hook> installed_write_hook{nullptr};

void set_write_hook(write_hook hook) noexcept {
  installed_write_hook = hook;
}

write_hook current_write_hook() noexcept {
  return installed_write_hook.load(std::memory_order_relaxed);
}

static std::atomic<folder_read_hook> installed_folder_read_hook{nullptr};

void set_folder_read_hook(folder_read_hook hook) noexcept {
  installed_folder_read_hook = hook;
}

folder_read_hook current_folder_read_hook() noexcept {
  return installed_folder_read_hook.load(std::memory_order_relaxed);
}

bool read_whole_file(variant& path, variant& out) noexcept {
  const owned_file f = open_file(path, variant("r"));
  if (!f) return false;
  const uint32_t size = seek_file(f.get(), 0, seek_end);
  bool ok = size != ~0u && size <= 0x7FFFFFFF;
  seek_file(f.get(), 0, seek_begin);
  if (ok && size > 0) {
    const int32_t read = read_file(f.get(), static_cast<int32_t>(size), out);
    ok = read == static_cast<int32_t>(size);  // a failure or a short read is no whole file
  } else if (ok) {
    // Empty, or something that only looks empty (a folder): a read tells.
    variant probe;
    ok = read_file(f.get(), 1, probe) == 0;
  }
  return ok;
}

bool write_whole_file(variant& path, const variant& mode, variant_list& items) noexcept {
  const owned_file f = open_file(path, mode);
  bool ok = f.valid();
  variant item;
  while (ok && items.pop(item)) {
    const int32_t length = item.length();
    if (write_file(f.get(), item, length) < length) ok = false;
  }
  // On the disk before the caller replaces an older file with it: a power loss
  // must not leave an empty settings file where a good one was.
  if (ok && !flush_file(f.get())) ok = false;
  items.clear();  // consumed, also after a failed open or a short write
  return ok;
}

bool unique_temporary_name(variant& path) noexcept {
  to_backslashes(path);
  // folder, separator, a base name with no separator and no dot, "." and an
  // extension of a-z, 0-9 and "_".
  const char* pattern = path_separator == '\\' ? R"((.*)\\[^\\\.]+\.([a-z0-9_]+)$)"
                                               : R"((.*)/[^/\.]+\.([a-z0-9_]+)$)";
  variant_list groups;
  if (regex_match(pattern, 0, path, &groups) != 0 || groups.count() < 3) {
    path = "";
    return false;
  }
  const variant folder = groups.item_at(1);
  const variant extension = groups.item_at(2);
  // Bounded, so that a folder the system answers for whatever the name (one
  // holding a wildcard) cannot keep this loop going for ever.
  for (int attempt = 0; attempt < 100000; ++attempt) {
    if (!name_exists(path)) return true;
    path = folder.c_str();
    path.append(path_separator);
    for (int i = 0; i < 8; ++i) path.append(static_cast<char>('0' + std::rand() % 10));
    path.append('.');
    path.append(extension);
  }
  path = "";
  return false;
}

owned_file create_file_beside(const variant& target, variant& created,
                              uint32_t attributes) noexcept {
  variant folder;
  folder.assign_text_of(target);
  to_backslashes(folder);
  folder.set_length(folder.find_last(variant(path_separator)) + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    created = folder.c_str();
    created.append("~lumadir-");
    for (int i = 0; i < 8; ++i) created.append(static_cast<char>('0' + std::rand() % 10));
    created.append(".tmp");
    if (!name_exists(created)) {
      owned_file file = create_new_file(created, attributes);
      if (file) return file;
      if (!name_exists(created)) break;  // not a race lost: the folder refuses
    }
  }
  created = "";
  return owned_file();
}

variant path_in(const variant& folder, const variant& name) noexcept {
  variant path;
  path.assign_text_of(folder);
  if (path.length() > 0 && path.text().data()[path.length() - 1] != path_separator)
    path.append(path_separator);
  path.append(name);
  return path;
}

variant path_in(const variant& folder, const char* name) noexcept {
  return path_in(folder, variant(name));
}

}  // namespace lumadir
