#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "base/file_system.h"
#include "base/number_text.h"
#include "base/owned_win.h"
#include "base/regex_binding.h"
#include "base/text_encoding.h"

namespace lumadir {

static_assert(file_attribute::read_only == FILE_ATTRIBUTE_READONLY &&
              file_attribute::hidden == FILE_ATTRIBUTE_HIDDEN &&
              file_attribute::system == FILE_ATTRIBUTE_SYSTEM &&
              file_attribute::directory == FILE_ATTRIBUTE_DIRECTORY &&
              file_attribute::archive == FILE_ATTRIBUTE_ARCHIVE &&
              file_attribute::normal == FILE_ATTRIBUTE_NORMAL &&
              file_attribute::temporary == FILE_ATTRIBUTE_TEMPORARY &&
              file_attribute::reparse_point == FILE_ATTRIBUTE_REPARSE_POINT &&
              file_attribute::compressed == FILE_ATTRIBUTE_COMPRESSED &&
              file_attribute::offline == FILE_ATTRIBUTE_OFFLINE);

static HANDLE to_handle(file_handle handle) {
  return static_cast<HANDLE>(handle);
}

void to_backslashes(variant& path) noexcept {
  path.replace_all(variant('/'), variant('\\'));
}

static const wchar_t* wide(const utf16_text& text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

// True when the path, already with backslashes, names its place exactly: drive
// or server first, and no "." or ".." component and no empty one that only the
// system's path rules would resolve.
static bool needs_no_resolving(const char* p, int32_t length, int32_t start) {
  int32_t component = start;
  for (int32_t i = start; i <= length; ++i) {
    if (i < length && p[i] != '\\') continue;
    const int32_t n = i - component;
    if (n == 0 && i < length) return false;
    if (n == 1 && p[component] == '.') return false;
    if (n == 2 && p[component] == '.' && p[component + 1] == '.') return false;
    component = i + 1;
  }
  return true;
}

static bool is_drive_absolute(const char16_t* p, int32_t length) {
  return length >= 3 && p[1] == u':' && p[2] == u'\\' &&
         ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z'));
}

// The path for the system's wide calls, with the long-path prefix ("\\?\" or
// "\\?\UNC\"): then no length limit applies and the system takes every name as
// it stands, trailing dots and spaces included. A path the walk built (folder,
// "\", name as read) is passed exactly; anything else (relative, with "." or
// ".." parts) is resolved by the system first. "/" becomes "\" in the caller's
// text too.
static bool system_path(variant& path, utf16_text& out) {
  to_backslashes(path);
  const char* p = path.c_str();
  const int32_t length = path.length();
  if (length >= 4 && p[0] == '\\' && p[1] == '\\' && (p[2] == '?' || p[2] == '.') && p[3] == '\\')
    return out.assign_wtf8(p, length);
  const bool unc = length >= 3 && p[0] == '\\' && p[1] == '\\';
  const bool drive = length >= 3 && p[1] == ':' && p[2] == '\\';
  if ((unc || drive) && needs_no_resolving(p, length, unc ? 2 : 3)) {
    if (unc) return out.assign_wtf8(p + 2, length - 2) && out.prepend(u"\\\\?\\UNC\\", 8);
    return out.assign_wtf8(p, length) && out.prepend(u"\\\\?\\", 4);
  }
  utf16_text given;
  if (!given.assign_wtf8(p, length)) return false;
  if (length == 0) return out.assign_units(u"", 0);
  DWORD size = GetFullPathNameW(wide(given), 0, nullptr, nullptr);
  if (size == 0) return out.assign_units(given.data(), given.length());
  auto* full = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * size));
  if (!full) return false;
  const DWORD written = GetFullPathNameW(wide(given), size, full, nullptr);
  bool done;
  if (written == 0 || written >= size) {
    done = out.assign_units(given.data(), given.length());
  } else {
    const auto* f = reinterpret_cast<const char16_t*>(full);
    const int32_t n = static_cast<int32_t>(written);
    if (is_drive_absolute(f, n))
      done = out.assign_units(f, n) && out.prepend(u"\\\\?\\", 4);
    else if (n >= 2 && f[0] == u'\\' && f[1] == u'\\' &&
             !(n >= 3 && (f[2] == u'?' || f[2] == u'.')))
      done = out.assign_units(f + 2, n - 2) && out.prepend(u"\\\\?\\UNC\\", 8);
    else
      done = out.assign_units(f, n);
  }
  std::free(full);
  return done;
}

// The text as it stands, for calls that want a root such as "C:\" rather than a
// long path.
static bool plain_wide(variant& path, utf16_text& out) {
  to_backslashes(path);
  return out.assign_wtf8(path.c_str(), path.length());
}

bool set_current_directory(variant& path) noexcept {
  // The current directory keeps the MAX_PATH rule even for long-path-aware
  // programs, so it is given the plain text.
  utf16_text p;
  return plain_wide(path, p) && SetCurrentDirectoryW(wide(p)) != 0;
}

bool create_directory(variant& path) noexcept {
  utf16_text p;
  return system_path(path, p) && CreateDirectoryW(wide(p), nullptr) != 0;
}

bool delete_file(variant& path) noexcept {
  utf16_text p;
  return system_path(path, p) && DeleteFileW(wide(p)) != 0;
}

bool copy_file(variant& source, variant& target, bool overwrite) noexcept {
  utf16_text from, to;
  return system_path(source, from) && system_path(target, to) &&
         CopyFileW(wide(from), wide(to), overwrite ? FALSE : TRUE) != 0;
}

bool move_file(variant& source, variant& target) noexcept {
  utf16_text from, to;
  return system_path(source, from) && system_path(target, to) &&
         MoveFileW(wide(from), wide(to)) != 0;
}

bool replace_file(variant& source, variant& target) noexcept {
  utf16_text from, to;
  if (!system_path(source, from) || !system_path(target, to)) return false;
  const DWORD attributes = GetFileAttributesW(wide(to));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  return MoveFileExW(wide(from), wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

int32_t temporary_folder(variant& folder) noexcept {
  // The system's answer is at most MAX_PATH + 1 units, the final "\" included.
  wchar_t buffer[MAX_PATH + 2];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH + 1) {
    folder = "";
    return 0;
  }
  folder = wtf8_from_utf16(reinterpret_cast<const char16_t*>(buffer), static_cast<int32_t>(length));
  if (buffer[length - 1] != L'\\') folder.append('\\');
  return folder.length();
}

bool name_exists(variant& path) noexcept {
  utf16_text p;
  if (!system_path(path, p)) return false;
  WIN32_FIND_DATAW data;
  const owned_find search(
      FindFirstFileExW(wide(p), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
  return search.valid();
}

bool set_file_attributes(variant& path, uint32_t attributes) noexcept {
  utf16_text p;
  return system_path(path, p) && SetFileAttributesW(wide(p), attributes) != 0;
}

bool set_file_times(variant& path, file_time access, file_time write) noexcept {
  utf16_text p;
  if (!system_path(path, p)) return false;
  const owned_file_handle handle(CreateFileW(wide(p), FILE_WRITE_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return false;
  FILETIME a = {static_cast<DWORD>(access), static_cast<DWORD>(access >> 32)};
  FILETIME w = {static_cast<DWORD>(write), static_cast<DWORD>(write >> 32)};
  return SetFileTime(handle.get(), nullptr, &a, &w) != 0;
}

bool remove_directory(variant& path) noexcept {
  utf16_text p;
  return system_path(path, p) && RemoveDirectoryW(wide(p)) != 0;
}

bool delete_at_restart(variant& path) noexcept {
  utf16_text p;
  return system_path(path, p) && MoveFileExW(wide(p), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool folder_writable(variant& folder) noexcept {
  to_backslashes(folder);
  variant probe(folder);
  if (probe.length() > 0 && probe.text().data()[probe.length() - 1] != '\\') probe.append('\\');
  probe.append("~lumadir-write-test.tmp");
  utf16_text p;
  if (!system_path(probe, p)) return false;
  const owned_file_handle handle(CreateFileW(wide(p), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                             nullptr));
  return handle.valid();
}

bool volume_ready(variant& root) noexcept {
  utf16_text p;
  ULARGE_INTEGER available;
  return plain_wide(root, p) && GetDiskFreeSpaceExW(wide(p), &available, nullptr, nullptr) != 0;
}

bool free_space(variant& root, uint64_t& bytes) noexcept {
  utf16_text p;
  ULARGE_INTEGER available;
  bytes = 0;
  if (!plain_wide(root, p) || !GetDiskFreeSpaceExW(wide(p), &available, nullptr, nullptr))
    return false;
  bytes = available.QuadPart;
  return true;
}

bool volume_label(variant& root, variant& label) noexcept {
  utf16_text p;
  wchar_t buffer[MAX_PATH + 1];  // the documented largest label buffer
  if (!plain_wide(root, p) || !GetVolumeInformationW(wide(p), buffer, MAX_PATH + 1, nullptr,
                                                     nullptr, nullptr, nullptr, 0)) {
    label = "";
    return false;
  }
  label = wtf8_from_utf16(reinterpret_cast<const char16_t*>(buffer),
                          static_cast<int32_t>(lstrlenW(buffer)));
  return true;
}

owned_file open_file(variant& path, const variant& mode) noexcept {
  variant m(mode);
  m.to_lower();
  DWORD access = GENERIC_READ;
  DWORD creation = OPEN_EXISTING;
  const char first = m.length() > 0 ? m.text().data()[0] : '\0';
  if (first == 'a') {
    access = GENERIC_READ | GENERIC_WRITE;
    creation = OPEN_ALWAYS;
  } else if (first == 'w') {
    access = GENERIC_READ | GENERIC_WRITE;
    creation = CREATE_ALWAYS;
  }
  const DWORD share =
      m.length() >= 2 && m.text().data()[1] == '+' ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
  utf16_text p;
  if (!system_path(path, p)) return owned_file();
  owned_file file(CreateFileW(wide(p), access, share, nullptr, creation,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file && first == 'a') SetFilePointer(to_handle(file.get()), 0, nullptr, FILE_END);
  return file;
}

owned_file create_output_file(variant& path, uint32_t attributes) noexcept {
  utf16_text p;
  if (!system_path(path, p)) return owned_file();
  return owned_file(CreateFileW(wide(p), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                attributes, nullptr));
}

owned_file create_new_file(variant& path, uint32_t attributes) noexcept {
  utf16_text p;
  if (!system_path(path, p)) return owned_file();
  return owned_file(
      CreateFileW(wide(p), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
}

static read_error mapped_read_error(DWORD error) {
  switch (error) {
    case ERROR_HANDLE_EOF:
      return read_error::end_of_file;
    case ERROR_IO_PENDING:
      return read_error::pending;
    case ERROR_MORE_DATA:
      return read_error::more_data;
    case ERROR_INSUFFICIENT_BUFFER:
      return read_error::insufficient_buffer;
    case ERROR_BROKEN_PIPE:
      return read_error::broken_pipe;
    case ERROR_INVALID_USER_BUFFER:
      return read_error::invalid_user_buffer;
    case ERROR_NOT_ENOUGH_MEMORY:
      return read_error::not_enough_memory;
    case ERROR_OPERATION_ABORTED:
      return read_error::aborted;
    default:
      return read_error::other;  // a failure never reads as the end of the file
  }
}

int32_t read_file(file_handle handle, int32_t count, variant& out) noexcept {
  out = "";
  if (!is_open(handle) || count <= 0) return 0;
  out.set_length(count);
  if (out.length() != count) return read_failed(read_error::not_enough_memory);
  DWORD read = 0;
  if (!ReadFile(to_handle(handle), out.text_data(), static_cast<DWORD>(count), &read, nullptr)) {
    const DWORD error = GetLastError();
    out = "";
    return read_failed(mapped_read_error(error));
  }
  out.set_length(static_cast<int32_t>(read));
  return static_cast<int32_t>(read);
}

int32_t write_file(file_handle handle, const char* bytes, int32_t count) noexcept {
  if (!is_open(handle) || count <= 0) return 0;
  if (write_hook hook = current_write_hook()) return hook(handle, bytes, count);
  DWORD written = 0;
  if (!WriteFile(to_handle(handle), bytes, static_cast<DWORD>(count), &written, nullptr)) return 0;
  return static_cast<int32_t>(written);
}

int32_t write_file(file_handle handle, const variant& data, int32_t count) noexcept {
  const byte_text& bytes = data.text();
  if (count > bytes.length()) count = bytes.length();  // never past the text
  return write_file(handle, bytes.data(), count);
}

uint32_t seek_file(file_handle handle, int32_t distance, uint32_t origin) noexcept {
  if (!is_open(handle)) return INVALID_SET_FILE_POINTER;
  return SetFilePointer(to_handle(handle), distance, nullptr, origin);
}

int32_t file_size(file_handle handle, uint32_t* high) noexcept {
  if (!is_open(handle)) return -1;
  DWORD high_half = 0;
  const DWORD low = GetFileSize(to_handle(handle), &high_half);
  if (high) *high = high_half;
  return static_cast<int32_t>(low);
}

bool flush_file(file_handle handle) noexcept {
  return is_open(handle) && FlushFileBuffers(to_handle(handle)) != 0;
}

void close_file(file_handle handle) noexcept {
  if (is_open(handle)) CloseHandle(to_handle(handle));
}

bool make_full_path(variant& path) noexcept {
  to_backslashes(path);
  utf16_text given;
  if (!given.assign_wtf8(path.c_str(), path.length()) || given.length() == 0) return false;
  const DWORD size = GetFullPathNameW(wide(given), 0, nullptr, nullptr);
  if (size == 0) return false;
  auto* full = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * size));
  if (!full) return false;
  const DWORD length = GetFullPathNameW(wide(given), size, full, nullptr);
  const bool done = length > 0 && length < size;
  if (done)
    path = wtf8_from_utf16(reinterpret_cast<const char16_t*>(full), static_cast<int32_t>(length));
  std::free(full);
  return done;
}

variant own_file_name() noexcept {
  // The answer is cut, not failed, when the buffer is short: grow until it fits.
  for (DWORD size = MAX_PATH + 1; size <= 32768 * 2; size *= 2) {
    auto* buffer = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * size));
    if (!buffer) break;
    const DWORD length = GetModuleFileNameW(nullptr, buffer, size);
    if (length > 0 && length < size) {
      variant name =
          wtf8_from_utf16(reinterpret_cast<const char16_t*>(buffer), static_cast<int32_t>(length));
      std::free(buffer);
      return name;
    }
    std::free(buffer);
    if (length == 0) break;
  }
  return variant("");
}

static void fill_entry(const WIN32_FIND_DATAW& data, file_entry& entry) {
  entry.name = wtf8_from_utf16(reinterpret_cast<const char16_t*>(data.cFileName),
                               static_cast<int32_t>(lstrlenW(data.cFileName)));
  entry.is_folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // A folder keeps the low half 0.
  entry.size = (uint64_t{data.nFileSizeHigh} << 32) | (entry.is_folder ? 0 : data.nFileSizeLow);
  entry.attributes = data.dwFileAttributes;
  // Name surrogates (junctions, symbolic links, mount points) stand for another
  // place; other reparse points, such as cloud placeholders, are the folder
  // itself. Wine shows a Unix symbolic link with a tag of 0.
  const DWORD tag = data.dwReserved0;
  entry.is_link = entry.is_folder && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                  (tag == 0 || IsReparseTagNameSurrogate(tag));
  auto time_of = [](const FILETIME& ft) {
    return time_from_file_time((file_time{ft.dwHighDateTime} << 32) | ft.dwLowDateTime);
  };
  entry.modified = time_of(data.ftLastWriteTime);
  entry.created = time_of(data.ftCreationTime);
  entry.accessed = time_of(data.ftLastAccessTime);
}

bool folder_identity(variant& path, variant& identity) noexcept {
  utf16_text p;
  if (!system_path(path, p)) return false;
  // No access asked: only the identity is read, and cloud files are not fetched.
  const owned_file_handle handle(
      CreateFileW(wide(p), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!handle || !GetFileInformationByHandle(handle.get(), &info)) return false;
  char text[40];
  std::snprintf(text, sizeof text, "%08lX:%08lX%08lX", info.dwVolumeSerialNumber,
                info.nFileIndexHigh, info.nFileIndexLow);
  identity = text;
  return true;
}

bool path_facts(variant& path, file_entry& entry) noexcept {
  to_backslashes(path);
  const int32_t length = path.length();
  if (length == 0) return false;
  const char* p = path.c_str();
  if ((length == 2 || length == 3) && p[1] == ':' && (length == 2 || p[2] == '\\')) {
    const wchar_t root[4] = {static_cast<wchar_t>(static_cast<unsigned char>(p[0])), L':', L'\\',
                             0};
    if (GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) return false;
    entry.name = path;
    entry.is_folder = true;
    return true;
  }
  variant exact(path);
  if (exact.length() > 0 && exact.text().data()[exact.length() - 1] == '\\')
    exact.set_length(exact.length() - 1);
  utf16_text w;
  if (!system_path(exact, w)) return false;
  WIN32_FIND_DATAW data;
  if (!owned_find(
          FindFirstFileExW(wide(w), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0)))
    return false;
  fill_entry(data, entry);
  entry.name = path;
  return true;
}

static bool is_dot_folder(const WIN32_FIND_DATAW& data) {
  const wchar_t* n = data.cFileName;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && n[0] == L'.' &&
         (n[1] == L'\0' || (n[1] == L'.' && n[2] == L'\0'));
}

static void delete_chain(file_entry* first) {
  while (first) {
    file_entry* following = first->next;
    first->next = nullptr;
    entry_tree scratch;
    scratch.append_top(first);
    scratch.clear();
    first = following;
  }
}

bool find_files(variant& folder, entry_tree& tree, file_entry* parent, bool skip_dots,
                const variant& pattern) noexcept {
  if (folder_read_hook hook = current_folder_read_hook()) hook(folder);
  // The folder's path and the pattern, joined: the folder is never made the
  // current directory, so its name is never read as anything but a name.
  utf16_text search_path;
  if (!system_path(folder, search_path)) return false;
  const int32_t n = search_path.length();
  if (n > 0 && search_path.data()[n - 1] != u'\\' && !search_path.append(u"\\", 1)) return false;
  utf16_text wide_pattern;
  if (!wide_pattern.assign_wtf8(pattern.c_str(), pattern.length()) ||
      !search_path.append(wide_pattern.data(), wide_pattern.length()))
    return false;

  // Folders and files are gathered apart and joined to the tree only when the
  // whole folder was read, so a failure changes nothing.
  file_entry* first_folder = nullptr;
  file_entry* last_folder = nullptr;
  file_entry* first_file = nullptr;
  file_entry* last_file = nullptr;
  WIN32_FIND_DATAW data;
  const owned_find search(FindFirstFileExW(wide(search_path), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH));
  if (!search) {
    // No match at all (a drive root has no "." entries): an empty folder.
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
  }
  do {
    if (skip_dots && is_dot_folder(data)) continue;
    file_entry* entry = file_entry::make();
    if (!entry) continue;
    fill_entry(data, *entry);
    file_entry*& first = entry->is_folder ? first_folder : first_file;
    file_entry*& last = entry->is_folder ? last_folder : last_file;
    if (last)
      last->next = entry;
    else
      first = entry;
    last = entry;
  } while (FindNextFileW(search.get(), &data));
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  if (!complete) {
    delete_chain(first_folder);
    delete_chain(first_file);
    return false;
  }

  if (!tree.first()) parent = nullptr;
  if (last_folder) last_folder->next = first_file;
  for (file_entry* e = first_folder ? first_folder : first_file; e;) {
    file_entry* following = e->next;
    e->next = nullptr;
    if (parent)
      tree.append_child(parent, e);
    else
      tree.append_top(e);
    e = following;
  }
  return true;
}

}  // namespace lumadir
