// Host stand-in for the file layer: the same operations through POSIX calls, on
// Unix paths ("/" stays "/"), so that the portable code above it runs natively
// under the sanitizers. Folders are listed sorted by name ignoring case, as Wine
// lists them; there are no drive letters, volume labels or DOS attributes.
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/file_system.h"
#include "base/number_text.h"

namespace lumadir {

static int fd_of(file_handle handle) {
  return static_cast<int>(reinterpret_cast<intptr_t>(handle)) - 1;
}
static file_handle handle_of(int fd) {
  return reinterpret_cast<file_handle>(static_cast<intptr_t>(fd) + 1);
}

// A path here is a Unix path: its slashes stay as they are.
void to_backslashes(variant&) noexcept {}

static const char* host_path(variant& path) {
  return path.c_str();
}

owned_file open_file(variant& path, const variant& mode) noexcept {
  variant m(mode);
  m.to_lower();
  const char first = m.first_byte();
  int flags = O_RDONLY;
  if (first == 'a')
    flags = O_RDWR | O_CREAT;
  else if (first == 'w')
    flags = O_RDWR | O_CREAT | O_TRUNC;
  const int fd = ::open(host_path(path), flags | O_CLOEXEC, 0644);
  if (fd < 0) return owned_file();
  if (first == 'a') ::lseek(fd, 0, SEEK_END);
  return owned_file(handle_of(fd));
}

owned_file create_output_file(variant& path, uint32_t) noexcept {
  const int fd = ::open(host_path(path), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return owned_file(fd < 0 ? invalid_file_handle() : handle_of(fd));
}

owned_file create_new_file(variant& path, uint32_t) noexcept {
  const int fd = ::open(host_path(path), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  return owned_file(fd < 0 ? invalid_file_handle() : handle_of(fd));
}

int32_t read_file(file_handle handle, int32_t count, variant& out) noexcept {
  out = "";
  if (!is_open(handle) || count <= 0) return 0;
  out.set_length(count);
  if (out.length() != count) return read_failed(read_error::not_enough_memory);
  const ssize_t n = ::read(fd_of(handle), out.text_data(), static_cast<size_t>(count));
  if (n < 0) {
    out = "";
    return read_failed(read_error::other);
  }
  out.set_length(static_cast<int32_t>(n));
  return static_cast<int32_t>(n);
}

int32_t write_file(file_handle handle, const char* bytes, int32_t count) noexcept {
  if (!is_open(handle) || count <= 0) return 0;
  if (write_hook hook = current_write_hook()) return hook(handle, bytes, count);
  const ssize_t n = ::write(fd_of(handle), bytes, static_cast<size_t>(count));
  return n < 0 ? 0 : static_cast<int32_t>(n);
}

int32_t write_file(file_handle handle, const variant& data, int32_t count) noexcept {
  const byte_text& bytes = data.text();
  if (count > bytes.length()) count = bytes.length();
  return write_file(handle, bytes.data(), count);
}

uint32_t seek_file(file_handle handle, int32_t distance, uint32_t origin) noexcept {
  if (!is_open(handle)) return ~0u;
  const int whence = origin == seek_end ? SEEK_END : origin == seek_current ? SEEK_CUR : SEEK_SET;
  const off_t at = ::lseek(fd_of(handle), distance, whence);
  return at < 0 ? ~0u : static_cast<uint32_t>(at);
}

int32_t file_size(file_handle handle, uint32_t* high) noexcept {
  if (!is_open(handle)) return -1;
  struct stat st;
  if (::fstat(fd_of(handle), &st) != 0) return -1;
  if (high) *high = static_cast<uint32_t>(static_cast<uint64_t>(st.st_size) >> 32);
  return static_cast<int32_t>(static_cast<uint32_t>(st.st_size));
}

bool flush_file(file_handle handle) noexcept {
  return is_open(handle) && ::fsync(fd_of(handle)) == 0;
}

void close_file(file_handle handle) noexcept {
  if (is_open(handle)) ::close(fd_of(handle));
}

bool make_full_path(variant& path) noexcept {
  if (path.first_byte() == '/') return true;
  char here[4096];
  if (!::getcwd(here, sizeof here)) return false;
  variant full(here);
  full.append('/');
  full.append(path);
  path = static_cast<variant&&>(full);
  return true;
}

bool delete_file(variant& path) noexcept {
  return ::unlink(host_path(path)) == 0;
}

bool replace_file(variant& source, variant& target) noexcept {
  const char* from = host_path(source);
  const char* to = host_path(target);
  if (::access(to, F_OK) == 0 && ::access(to, W_OK) != 0) return false;
  return ::rename(from, to) == 0;
}

bool set_current_directory(variant& path) noexcept {
  return ::chdir(host_path(path)) == 0;
}

bool create_directory(variant& path) noexcept {
  return ::mkdir(host_path(path), 0755) == 0;
}

bool copy_file(variant& source, variant& target, bool overwrite) noexcept {
  variant bytes("");
  if (!read_whole_file(source, bytes)) return false;
  if (!overwrite && ::access(host_path(target), F_OK) == 0) return false;
  variant_list items;
  items.push(bytes);
  return write_whole_file(target, variant("w"), items);
}

bool move_file(variant& source, variant& target) noexcept {
  if (::access(host_path(target), F_OK) == 0) return false;  // no replacing, as on Windows
  return ::rename(host_path(source), host_path(target)) == 0;
}

int32_t temporary_folder(variant& folder) noexcept {
  const char* dir = std::getenv("TMPDIR");
  folder = dir && *dir ? dir : "/tmp";
  if (folder.text().data()[folder.length() - 1] != '/') folder.append('/');
  return folder.length();
}

bool name_exists(variant& path) noexcept {
  return ::access(host_path(path), F_OK) == 0;
}

bool set_file_attributes(variant&, uint32_t) noexcept {
  return false;
}

bool set_file_times(variant&, file_time, file_time) noexcept {
  return false;
}

bool remove_directory(variant& path) noexcept {
  return ::rmdir(host_path(path)) == 0;
}

bool delete_at_restart(variant&) noexcept {
  return false;
}

bool folder_writable(variant& folder) noexcept {
  return ::access(host_path(folder), W_OK) == 0;
}

bool volume_ready(variant& root) noexcept {
  struct statvfs st;
  return ::statvfs(host_path(root), &st) == 0;
}

bool free_space(variant& root, uint64_t& bytes) noexcept {
  struct statvfs st;
  if (::statvfs(host_path(root), &st) != 0) {
    bytes = 0;
    return false;
  }
  bytes = static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
  return true;
}

bool volume_label(variant&, variant& label) noexcept {
  label = "";
  return false;
}

variant own_file_name() noexcept {
  char buffer[1024];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? variant(buffer, static_cast<int32_t>(n)) : variant("");
}

static void fill_entry(const char* name, const struct stat& st, file_entry& entry) {
  entry.name = name;
  entry.is_folder = S_ISDIR(st.st_mode);
  entry.size = entry.is_folder ? 0 : static_cast<uint64_t>(st.st_size);
  entry.attributes = entry.is_folder ? file_attribute::directory : file_attribute::archive;
  if (name[0] == '.' && std::strcmp(name, ".") && std::strcmp(name, ".."))
    entry.attributes |= file_attribute::hidden;
  if (!(st.st_mode & S_IWUSR)) entry.attributes |= file_attribute::read_only;
  entry.modified = static_cast<time_value>(st.st_mtime);
  entry.created = static_cast<time_value>(st.st_mtime);
  entry.accessed = static_cast<time_value>(st.st_atime);
}

bool folder_identity(variant& path, variant& identity) noexcept {
  struct stat st;
  if (::stat(host_path(path), &st) != 0) return false;
  identity = (std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino)).c_str();
  return true;
}

bool path_facts(variant& path, file_entry& entry) noexcept {
  if (path.length() == 0) return false;
  variant exact(path);
  if (exact.length() > 1 && exact.text().data()[exact.length() - 1] == '/')
    exact.set_length(exact.length() - 1);
  struct stat st;
  if (::stat(exact.c_str(), &st) != 0) return false;
  const int32_t slash = exact.find_last(variant('/'));
  fill_entry(exact.c_str() + slash + 1, st, entry);
  entry.name = path;
  return true;
}

bool find_files(variant& folder, entry_tree& tree, file_entry* parent, bool skip_dots,
                const variant& pattern) noexcept {
  if (folder_read_hook hook = current_folder_read_hook()) hook(folder);
  (void)pattern;  // the host lists every entry
  if (!tree.first()) parent = nullptr;
  // Never made the current directory: names are read relative to the folder.
  DIR* dir = ::opendir(host_path(folder));
  if (!dir) return false;
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* d = ::readdir(dir)) names.emplace_back(d->d_name);
  const bool complete = errno == 0;
  const int folder_fd = ::dirfd(dir);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return ::strcasecmp(a.c_str(), b.c_str()) < 0;
  });
  std::vector<file_entry*> folders, files;
  for (const std::string& name : names) {
    struct stat st;
    struct stat link;
    if (!complete || ::fstatat(folder_fd, name.c_str(), &st, 0) != 0) continue;
    const bool symbolic = ::fstatat(folder_fd, name.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0 &&
                          S_ISLNK(link.st_mode);
    if (skip_dots && S_ISDIR(st.st_mode) && (name == "." || name == "..")) continue;
    file_entry* entry = file_entry::make();
    if (!entry) continue;
    fill_entry(name.c_str(), st, *entry);
    if (symbolic) entry->attributes |= file_attribute::reparse_point;
    entry->is_link = symbolic && entry->is_folder;
    (entry->is_folder ? folders : files).push_back(entry);
  }
  ::closedir(dir);
  if (!complete) return false;
  for (std::vector<file_entry*>* group : {&folders, &files})
    for (file_entry* entry : *group) {
      if (parent)
        tree.append_child(parent, entry);
      else
        tree.append_top(entry);
    }
  return true;
}

}  // namespace lumadir
