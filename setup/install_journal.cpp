#include "setup/install_journal.h"

#include <windows.h>

#include <cstdio>
#include <new>

#include "base/file_system.h"
#include "base/registry_system.h"
#include "setup/install_keys.h"

namespace lumadir {

namespace {

// How a key is named in a message: the root spelt out, as the registry editor
// shows it.
variant key_text(registry_root root, const variant& key, const variant& name) {
  variant text(root == registry_root::classes_root   ? "HKEY_CLASSES_ROOT\\"
               : root == registry_root::current_user ? "HKEY_CURRENT_USER\\"
                                                     : "HKEY_LOCAL_MACHINE\\");
  text.append(key);
  if (name.length() > 0) {
    text.append(" (");
    text.append(name);
    text.append(')');
  }
  return text;
}

bool is_folder(const variant& path) {
  variant p(path);
  file_entry facts;
  return path_facts(p, facts) && facts.is_folder;
}

bool exists(const variant& path) {
  variant p(path);
  return name_exists(p);
}

}  // namespace

install_journal::~install_journal() {
  free_changes();
}

void install_journal::free_changes() noexcept {
  // One at a time: a chain left to its owners would be freed recursively.
  while (newest_) newest_ = std::move(newest_->older);
  oldest_ = nullptr;
}

install_journal::change* install_journal::add(kind what) noexcept {
  std::unique_ptr<change> fresh(new (std::nothrow) change);
  if (!fresh) return nullptr;
  fresh->what = what;
  if (newest_) newest_->newer = fresh.get();
  fresh->older = std::move(newest_);
  newest_ = std::move(fresh);
  if (!oldest_) oldest_ = newest_.get();
  return newest_.get();
}

bool install_journal::open(const variant& folder) noexcept {
  for (int32_t i = 1; i < 100; ++i) {
    char name[32];
    if (i == 1)
      std::snprintf(name, sizeof name, "~lumadir-undo");
    else
      std::snprintf(name, sizeof name, "~lumadir-undo-%d", static_cast<int>(i));
    variant candidate = path_in(folder, name);
    if (exists(candidate)) continue;
    // Journaled like any folder made, so that an undo takes it away before
    // the folders it lies in.
    if (!make_folder(candidate)) return false;
    aside_folder_ = candidate;
    return true;
  }
  return false;
}

bool install_journal::make_folder(const variant& folder, bool (*make)(const variant&)) noexcept {
  if (is_folder(folder)) return true;
  if (exists(folder)) return false;  // a file of that name
  variant path(folder);
  if (make ? !make(folder) : !create_directory(path)) return false;
  change* c = add(kind::folder_made);
  if (!c) {
    remove_directory(path);
    return false;
  }
  c->path = folder;
  return true;
}

bool install_journal::make_folder_path(const variant& folder,
                                       bool (*make_first)(const variant&)) noexcept {
  const char* p = folder.c_str();
  const int32_t length = folder.length();
  // Levels below the drive ("C:\") or the share ("\\server\share\").
  int32_t first = 0;
  if (length >= 2 && p[1] == ':') {
    first = 3;
  } else if (length >= 2 && p[0] == '\\' && p[1] == '\\') {
    int32_t separators = 0;
    for (first = 2; first < length && separators < 2; ++first)
      if (p[first] == '\\') ++separators;
  }
  for (int32_t i = first; i <= length; ++i) {
    if (i < length && p[i] != '\\') continue;
    if (i == 0 || p[i - 1] == '\\') continue;
    variant level;
    level.set_left(folder, i);
    if (is_folder(level)) continue;
    const bool first = first_made_folder_.length() == 0;
    if (!make_folder(level, first ? make_first : nullptr)) return false;
    if (first) first_made_folder_ = level;
  }
  return is_folder(folder);
}

bool install_journal::set_aside(const variant& path) noexcept {
  if (!exists(path)) return true;
  if (is_folder(path) || aside_folder_.length() == 0) return false;
  char name[16];
  std::snprintf(name, sizeof name, "%d", static_cast<int>(++aside_count_));
  variant from(path);
  variant aside = path_in(aside_folder_, name);
  if (!move_file(from, aside)) return false;
  change* c = add(kind::file_set_aside);
  if (!c) {
    move_file(aside, from);
    return false;
  }
  c->path = path;
  c->aside = aside;
  return true;
}

bool install_journal::copy_new(const variant& source, const variant& target) noexcept {
  if (exists(target)) return false;  // never over a file it has not set aside
  variant from(source), to(target);
  const bool copied = copy_file(from, to, false);
  // A copy that broke off may have left part of the file.
  if (copied || exists(target)) file_made(target);
  return copied;
}

void install_journal::file_made(const variant& path) noexcept {
  change* c = add(kind::file_made);
  if (c) c->path = path;
}

bool install_journal::make_key_path(registry_root root, const char* key) noexcept {
  variant path(key);
  const char* p = path.c_str();
  const int32_t length = path.length();
  for (int32_t i = 1; i <= length; ++i) {
    if (i < length && p[i] != '\\') continue;
    variant level;
    level.set_left(path, i);
    if (install_keys::exists(root, level.c_str())) continue;
    if (!install_keys::create(root, level.c_str())) return false;
    change* c = add(kind::key_made);
    if (!c) return false;
    c->root = root;
    c->path = level;
  }
  return true;
}

bool install_journal::remember_value(registry_root root, const char* key,
                                     const char* name) noexcept {
  change* c = add(kind::value_written);
  if (!c) return false;
  c->root = root;
  c->path = key;
  c->name = name;
  const owned_key opened = install_keys::open(root, key, KEY_READ);
  if (!opened) return true;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(opened.get(), name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::unique_ptr<char[]> bytes(new (std::nothrow) char[size + 1]);
    if (bytes && RegQueryValueExA(opened.get(), name, nullptr, &type,
                                  reinterpret_cast<BYTE*>(bytes.get()), &size) == ERROR_SUCCESS) {
      c->existed = true;
      c->type = type;
      c->data = variant(bytes.get(), static_cast<int32_t>(size));
    }
    if (!c->existed) {
      // There, but unreadable: it could not be put back, so it is not touched.
      drop_newest();
      return false;
    }
  }
  return true;
}

void install_journal::drop_newest() noexcept {
  if (!newest_) return;
  newest_ = std::move(newest_->older);
  if (newest_)
    newest_->newer = nullptr;
  else
    oldest_ = nullptr;
}

bool install_journal::write_raw(registry_root root, const char* key, const char* name,
                                uint32_t type, const char* bytes, int32_t size) noexcept {
  if (!make_key_path(root, key)) return false;
  const owned_key opened = install_keys::open(root, key, KEY_SET_VALUE);
  if (!opened || !remember_value(root, key, name)) return false;
  const bool written =
      RegSetValueExA(opened.get(), name, 0, type, reinterpret_cast<const BYTE*>(bytes),
                     static_cast<DWORD>(size)) == ERROR_SUCCESS;
  // A value not written has nothing to undo.
  if (!written) drop_newest();
  return written;
}

bool install_journal::write_text(registry_root root, const char* key, const char* name,
                                 const variant& text) noexcept {
  return write_raw(root, key, name, REG_SZ, text.c_str(), text.length() + 1);
}

bool install_journal::write_number(registry_root root, const char* key, const char* name,
                                   uint32_t number) noexcept {
  const DWORD value = number;
  return write_raw(root, key, name, REG_DWORD, reinterpret_cast<const char*>(&value), sizeof value);
}

bool install_journal::write_multi_text(registry_root root, const char* key, const char* name,
                                       const variant& data) noexcept {
  return write_raw(root, key, name, REG_MULTI_SZ, data.c_str(), data.length());
}

bool install_journal::delete_value(registry_root root, const char* key, const char* name) noexcept {
  const owned_key opened = install_keys::open(root, key, KEY_READ | KEY_SET_VALUE);
  if (!opened) return !install_keys::exists(root, key);
  if (RegQueryValueExA(opened.get(), name, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return true;
  if (!remember_value(root, key, name)) return false;
  if (RegDeleteValueA(opened.get(), name) != ERROR_SUCCESS) {
    drop_newest();
    return false;
  }
  return true;
}

bool install_journal::delete_key(registry_root root, const char* key) noexcept {
  variant_list names;
  {
    const owned_key opened = install_keys::open(root, key, KEY_READ);
    if (!opened) return true;
    char name[16384];
    for (DWORD i = 0;; ++i) {
      DWORD length = sizeof name;
      if (RegEnumValueA(opened.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      names.push(variant(name, static_cast<int32_t>(length)));
    }
  }
  for (variant_list::node* n = names.first(); n; n = n->next)
    if (!delete_value(root, key, n->value.c_str())) return false;
  if (RegDeleteKeyA(system_registry_root(root), key) != ERROR_SUCCESS) return false;
  change* c = add(kind::key_deleted);
  if (!c) return false;
  c->root = root;
  c->path = key;
  return true;
}

void install_journal::commit() noexcept {
  for (change* c = oldest_; c; c = c->newer)
    if (c->what == kind::file_set_aside) delete_file(c->aside);
  if (aside_folder_.length() > 0) remove_directory(aside_folder_);
  aside_folder_ = "";
  free_changes();
}

bool install_journal::undo(variant_list& left) noexcept {
  bool complete = true;
  for (change* c = newest_.get(); c; c = c->older.get()) {
    bool undone = true;
    switch (c->what) {
      case kind::folder_made:
        undone = remove_directory(c->path) || !exists(c->path);
        break;
      case kind::file_made:
        undone = delete_file(c->path) || !exists(c->path);
        break;
      case kind::file_set_aside:
        undone = move_file(c->aside, c->path);
        break;
      case kind::key_made:
        undone = RegDeleteKeyA(system_registry_root(c->root), c->path.c_str()) == ERROR_SUCCESS ||
                 !install_keys::exists(c->root, c->path.c_str());
        break;
      case kind::key_deleted:
        undone = install_keys::create(c->root, c->path.c_str());
        break;
      case kind::value_written: {
        const owned_key opened = install_keys::open(c->root, c->path.c_str(), KEY_SET_VALUE);
        undone = opened.valid();
        if (undone) {
          const LONG result = c->existed
                                  ? RegSetValueExA(opened.get(), c->name.c_str(), 0, c->type,
                                                   reinterpret_cast<const BYTE*>(c->data.c_str()),
                                                   static_cast<DWORD>(c->data.length()))
                                  : RegDeleteValueA(opened.get(), c->name.c_str());
          undone = result == ERROR_SUCCESS || (!c->existed && result == ERROR_FILE_NOT_FOUND);
        } else {
          undone = !c->existed && !install_keys::exists(c->root, c->path.c_str());
        }
        break;
      }
    }
    if (undone) continue;
    complete = false;
    const bool registry =
        c->what == kind::key_made || c->what == kind::key_deleted || c->what == kind::value_written;
    left.push(registry ? key_text(c->root, c->path, c->name) : variant(c->path));
  }
  aside_folder_ = "";
  free_changes();
  return complete;
}

}  // namespace lumadir
