#include <windows.h>

#include <cstdlib>

#include "base/file_system.h"
#include "base/number_text.h"
#include "base/regex_binding.h"

namespace lumadir {

static HANDLE to_handle(file_handle handle) {
  return static_cast<HANDLE>(handle);
}
static bool is_open(file_handle handle) {
  return to_handle(handle) != INVALID_HANDLE_VALUE && handle != nullptr;
}

void to_backslashes(variant& path) noexcept {
  path.replace_all(variant('/'), variant('\\'));
}

// The path, converted in place, as a terminated ANSI text for the system.
static const char* system_path(variant& path) {
  to_backslashes(path);
  return path.c_str();
}

bool set_current_directory(variant& path) noexcept {
  return SetCurrentDirectoryA(system_path(path)) != 0;
}

bool create_directory(variant& path) noexcept {
  return CreateDirectoryA(system_path(path), nullptr) != 0;
}

bool delete_file(variant& path) noexcept {
  return DeleteFileA(system_path(path)) != 0;
}

bool copy_file(variant& source, variant& target, bool overwrite) noexcept {
  const char* from = system_path(source);
  return CopyFileA(from, system_path(target), overwrite ? FALSE : TRUE) != 0;
}

bool move_file(variant& source, variant& target) noexcept {
  const char* from = system_path(source);
  return MoveFileA(from, system_path(target)) != 0;
}

bool replace_file(variant& source, variant& target) noexcept {
  const char* from = system_path(source);
  const char* to = system_path(target);
  const DWORD attributes = GetFileAttributesA(to);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

int32_t temporary_folder(variant& folder) noexcept {
  char buffer[MAX_PATH + 2];
  const DWORD length = GetTempPathA(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) {
    folder = "";
    return 0;
  }
  folder.assign(buffer, static_cast<int32_t>(length));
  if (buffer[length - 1] != '\\') folder.append('\\');
  return folder.length();
}

bool name_exists(variant& path) noexcept {
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

bool set_file_attributes(variant& path, uint32_t attributes) noexcept {
  return SetFileAttributesA(system_path(path), attributes) != 0;
}

bool set_file_times(variant& path, file_time access, file_time write) noexcept {
  const HANDLE handle =
      CreateFileA(system_path(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FILETIME a = {static_cast<DWORD>(access), static_cast<DWORD>(access >> 32)};
  FILETIME w = {static_cast<DWORD>(write), static_cast<DWORD>(write >> 32)};
  const bool done = SetFileTime(handle, nullptr, &a, &w) != 0;
  CloseHandle(handle);
  return done;
}

bool remove_directory(variant& path) noexcept {
  return RemoveDirectoryA(system_path(path)) != 0;
}

bool delete_at_restart(variant& path) noexcept {
  return MoveFileExA(system_path(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool folder_writable(variant& folder) noexcept {
  to_backslashes(folder);
  variant probe(folder);
  if (probe.length() > 0 && probe.text().data()[probe.length() - 1] != '\\') probe.append('\\');
  probe.append("~lumadir-write-test.tmp");
  const HANDLE handle = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

bool volume_ready(variant& root) noexcept {
  DWORD sectors, bytes, free_clusters, clusters;
  return GetDiskFreeSpaceA(system_path(root), &sectors, &bytes, &free_clusters, &clusters) != 0;
}

bool free_space(variant& root, uint64_t& bytes) noexcept {
  DWORD sectors_per_cluster, bytes_per_sector, free_clusters, clusters;
  if (!GetDiskFreeSpaceA(system_path(root), &sectors_per_cluster, &bytes_per_sector, &free_clusters,
                         &clusters)) {
    bytes = 0;
    return false;
  }
  bytes = uint64_t{sectors_per_cluster} * bytes_per_sector * free_clusters;
  return true;
}

bool volume_label(variant& root, variant& label) noexcept {
  char buffer[260];
  if (!GetVolumeInformationA(system_path(root), buffer, sizeof buffer, nullptr, nullptr, nullptr,
                             nullptr, 0)) {
    label = "";
    return false;
  }
  label = buffer;
  return true;
}

file_handle open_file(variant& path, const variant& mode) noexcept {
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
  const HANDLE h = CreateFileA(system_path(path), access, share, nullptr, creation,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE && first == 'a') SetFilePointer(h, 0, nullptr, FILE_END);
  return h;
}

file_handle create_output_file(variant& path, uint32_t attributes) noexcept {
  return CreateFileA(system_path(path), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                     attributes, nullptr);
}

static int32_t mapped_read_error(DWORD error) {
  switch (error) {
    case ERROR_HANDLE_EOF:
      return read_error_end_of_file;
    case ERROR_IO_PENDING:
      return read_error_pending;
    case ERROR_MORE_DATA:
      return read_error_more_data;
    case ERROR_INSUFFICIENT_BUFFER:
      return read_error_insufficient_buffer;
    case ERROR_BROKEN_PIPE:
      return read_error_broken_pipe;
    case ERROR_INVALID_USER_BUFFER:
      return read_error_invalid_user_buffer;
    case ERROR_NOT_ENOUGH_MEMORY:
      return read_error_not_enough_memory;
    case ERROR_OPERATION_ABORTED:
      return read_error_aborted;
    default:
      return 0;
  }
}

int32_t read_file(file_handle handle, int32_t count, variant& out) noexcept {
  out = "";
  if (!is_open(handle) || count <= 0) return 0;
  out.set_length(count);
  if (out.length() != count) return read_error_not_enough_memory;
  DWORD read = 0;
  if (!ReadFile(to_handle(handle), out.text_data(), static_cast<DWORD>(count), &read, nullptr)) {
    const DWORD error = GetLastError();
    out = "";
    return mapped_read_error(error);
  }
  out.set_length(static_cast<int32_t>(read));
  return static_cast<int32_t>(read);
}

int32_t write_file(file_handle handle, const char* bytes, int32_t count) noexcept {
  if (!is_open(handle) || count <= 0) return 0;
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

void close_file(file_handle handle) noexcept {
  if (is_open(handle)) CloseHandle(to_handle(handle));
}

bool make_full_path(variant& path) noexcept {
  char buffer[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(system_path(path), sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return false;
  path.assign(buffer, static_cast<int32_t>(length));
  return true;
}

variant own_file_name() noexcept {
  char buffer[1024];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? variant(buffer, static_cast<int32_t>(length))
                                              : variant("");
}

static void fill_entry(const WIN32_FIND_DATAA& data, file_entry& entry) {
  entry.name = data.cFileName;
  entry.is_folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // A folder keeps the low half 0.
  entry.size = (uint64_t{data.nFileSizeHigh} << 32) | (entry.is_folder ? 0 : data.nFileSizeLow);
  entry.attributes = data.dwFileAttributes;
  auto time_of = [](const FILETIME& ft) {
    return time_from_file_time((file_time{ft.dwHighDateTime} << 32) | ft.dwLowDateTime);
  };
  entry.modified = time_of(data.ftLastWriteTime);
  entry.created = time_of(data.ftCreationTime);
  entry.accessed = time_of(data.ftLastAccessTime);
}

bool path_facts(variant& path, file_entry& entry) noexcept {
  to_backslashes(path);
  const int32_t length = path.length();
  if (length == 0) return false;
  const char* p = path.c_str();
  if ((length == 2 || length == 3) && p[1] == ':') {
    if (GetDriveTypeA(p) == DRIVE_NO_ROOT_DIR) return false;
    entry.name = path;
    entry.is_folder = true;
    return true;
  }
  variant exact(path);
  if (exact.length() > 0 && exact.text().data()[exact.length() - 1] == '\\')
    exact.set_length(exact.length() - 1);
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA(exact.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  fill_entry(data, entry);
  entry.name = path;
  return true;
}

static bool is_dot_folder(const WIN32_FIND_DATAA& data) {
  const char* n = data.cFileName;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && n[0] == '.' &&
         (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'));
}

bool find_files(variant& folder, entry_tree& tree, file_entry* parent, bool skip_dots,
                const variant& pattern) noexcept {
  if (!set_current_directory(folder)) return false;
  if (!tree.first()) parent = nullptr;

  // The placeholder marks where the new entries go; it is gone at the end.
  file_entry* placeholder = file_entry::make();
  if (!placeholder) return true;
  if (parent)
    tree.append_child(parent, placeholder);
  else
    tree.append_top(placeholder);

  file_entry* last_folder = nullptr;
  file_entry* first_file = nullptr;
  file_entry* last_file = nullptr;
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (skip_dots && is_dot_folder(data)) continue;
      file_entry* entry = file_entry::make();
      if (!entry) continue;
      fill_entry(data, *entry);
      if (entry->is_folder) {
        tree.insert_after(last_folder ? last_folder : placeholder, entry);
        last_folder = entry;
      } else {
        entry->parent = parent;
        if (last_file)
          last_file->next = entry;
        else
          first_file = entry;
        last_file = entry;
      }
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }

  file_entry* anchor = last_folder ? last_folder : placeholder;
  for (file_entry* f = first_file; f;) {
    file_entry* following = f->next;
    tree.insert_after(anchor, f);
    anchor = f;
    f = following;
  }
  tree.remove(placeholder);
  return true;
}

}  // namespace lumadir
