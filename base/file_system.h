// The program's only road to the file system: files through handles or whole,
// folder enumeration into entry trees, facts about one path, the current
// directory, temporary names and volume queries.
//
// Paths are UTF-8 texts (names WTF-8). Every operation that takes a path first
// turns each "/" into "\" in place, so the caller's variant holds the converted
// text afterwards.
// Nothing here shows a message; results are booleans, counts and codes.
#pragma once

#include <cstdint>

#include "base/entry_tree.h"
#include "base/number_text.h"
#include "base/owned.h"
#include "base/variant.h"
#include "base/variant_list.h"

namespace lumadir {

// The system's file handle; all bits set means "not open". Every operation on a
// handle accepts that value and then does nothing. The functions that open a
// file hand out an owned_file, which closes it; the others borrow its get().
using file_handle = void*;
inline file_handle invalid_file_handle() {
  return reinterpret_cast<file_handle>(~uintptr_t{0});
}
// True for a handle that names an open file (neither "not open" nor null).
inline bool is_open(file_handle handle) {
  return handle != invalid_file_handle() && handle != nullptr;
}
void close_file(file_handle handle) noexcept;

namespace owned_traits {
struct file {
  using handle = file_handle;
  static handle invalid() noexcept { return invalid_file_handle(); }
  static void close(handle h) noexcept { close_file(h); }
};
}  // namespace owned_traits
// A file of the file layer, closed when it goes out of scope.
using owned_file = owned<owned_traits::file>;

constexpr uint32_t seek_begin = 0;
constexpr uint32_t seek_current = 1;
constexpr uint32_t seek_end = 2;

// Why a read failed, as read_file reports it: a negative count.
enum class read_error : int32_t {
  end_of_file = -1,
  pending = -2,
  more_data = -3,
  insufficient_buffer = -4,
  broken_pipe = -5,
  invalid_user_buffer = -6,
  not_enough_memory = -7,
  aborted = -8,
  other = -9,  // any other failure of the system's read
};
// The count read_file returns for an error.
constexpr int32_t read_failed(read_error error) {
  return static_cast<int32_t>(error);
}

// The separator of path components: "\" on Windows; the host build, which works
// on Unix paths, keeps "/".
#ifdef _WIN32
constexpr char path_separator = '\\';
#else
constexpr char path_separator = '/';
#endif

void to_backslashes(variant& path) noexcept;

bool set_current_directory(variant& path) noexcept;
bool create_directory(variant& path) noexcept;
bool delete_file(variant& path) noexcept;
bool copy_file(variant& source, variant& target, bool overwrite) noexcept;
bool move_file(variant& source, variant& target) noexcept;
// Puts `source` in the place of `target` in one step, so that a reader sees the
// old file or the new one, never a mix. A read-only target is kept: false.
bool replace_file(variant& source, variant& target) noexcept;

// The system temporary folder, always ending in "\"; its length, or 0 (and an
// empty text) on failure.
int32_t temporary_folder(variant& folder) noexcept;
// From a template such as C:\Temp\1.html, the first of it and of names with
// eight random digits (C:\Temp\04718203.html) that does not exist. A template
// that is not folder\base.ext (ext of a-z, 0-9 and _) empties the text: false.
bool unique_temporary_name(variant& path) noexcept;
// True when a file or folder of exactly that name exists.
bool name_exists(variant& path) noexcept;
// True when a new file can be made in the folder (tried with a scratch file that
// vanishes when closed), which access checks alone do not tell reliably.
bool folder_writable(variant& folder) noexcept;

bool volume_ready(variant& root) noexcept;
bool free_space(variant& root, uint64_t& bytes) noexcept;
bool volume_label(variant& root, variant& label) noexcept;

// Mode, case-insensitive: "a" read-write, opened or created, positioned at the
// end; "w" read-write, created anew; anything else read-only, existing files
// only. A "+" as second byte shares read and write access with others.
[[nodiscard]] owned_file open_file(variant& path, const variant& mode) noexcept;
// Creates a listing file anew (an existing one is truncated): write access only,
// others may write to it too, with the given file_attribute bits (temporary,
// archive).
[[nodiscard]] owned_file create_output_file(variant& path, uint32_t attributes) noexcept;
// Creates a file that did not exist, opened for writing and shared with nobody,
// with the given attributes; invalid when the name is taken or cannot be made.
[[nodiscard]] owned_file create_new_file(variant& path, uint32_t attributes) noexcept;
// A new file of that kind in the folder of `target`, under a fresh name
// ("~lumadir-" eight digits ".tmp"), whose path goes to `created`: what is
// written there can later replace the target in one step.
[[nodiscard]] owned_file create_file_beside(const variant& target, variant& created,
                                            uint32_t attributes) noexcept;
// Reads up to `count` bytes into `out`, cut to what was read; that count, 0 at
// the end of the file, or read_failed(a read_error) (out emptied).
[[nodiscard]] int32_t read_file(file_handle handle, int32_t count, variant& out) noexcept;
// A disk that fills up cannot be made here, so tests may stand in for the
// system's write: the hook gets each write and returns the count "written".
// None restores the system's writes.
using write_hook = int32_t (*)(file_handle handle, const char* bytes, int32_t count);
void set_write_hook(write_hook hook) noexcept;
write_hook current_write_hook() noexcept;  // for the platform's write_file
// Writes the first `count` bytes of the text form; the count written, 0 on failure.
[[nodiscard]] int32_t write_file(file_handle handle, const variant& data, int32_t count) noexcept;
[[nodiscard]] int32_t write_file(file_handle handle, const char* bytes, int32_t count) noexcept;
// The new position (low 32 bits), all bits set on failure.
uint32_t seek_file(file_handle handle, int32_t distance, uint32_t origin) noexcept;
// Low 32 bits of the size (high half into `high` when given); -1 when not open.
int32_t file_size(file_handle handle, uint32_t* high = nullptr) noexcept;
// Puts what was written on the disk itself, past the system's caches.
[[nodiscard]] bool flush_file(file_handle handle) noexcept;

// True when the whole file was read (an empty file leaves `out` untouched).
[[nodiscard]] bool read_whole_file(variant& path, variant& out) noexcept;
// Opens with `mode` and writes every item of the list, consuming it, then
// flushes it to the disk; false on a failed open, the first short write or a
// failed flush. The file is closed in every case.
[[nodiscard]] bool write_whole_file(variant& path, const variant& mode,
                                    variant_list& items) noexcept;

// Sets the file_attribute bits of a file.
bool set_file_attributes(variant& path, uint32_t attributes) noexcept;
// Sets a file's last-access and last-write times, leaving its creation time.
bool set_file_times(variant& path, file_time access, file_time write) noexcept;
// Deletes an empty folder.
bool remove_directory(variant& path) noexcept;
// Asks the system to delete the file or empty folder when it next starts (a
// running program cannot delete its own file); false when it refuses.
bool delete_at_restart(variant& path) noexcept;

// The folder, a separator when it lacks one at its end, and the name: the one
// way every path of a folder's entry is made.
variant path_in(const variant& folder, const variant& name) noexcept;
variant path_in(const variant& folder, const char* name) noexcept;

// Makes a relative path absolute against the current directory, in place;
// false (path unchanged) when the system cannot.
bool make_full_path(variant& path) noexcept;

// Full path of the running executable.
variant own_file_name() noexcept;

// Facts about one path: a drive root ("C:" or "C:\") becomes a folder entry
// named as given; anything else is looked up exactly (one trailing "\" removed
// for the lookup) and fills name (the path as given), kind, size, attributes and
// times. False for an empty path, a missing drive or a missing path.
bool path_facts(variant& path, file_entry& entry) noexcept;

// The folder's volume serial number and file ID as one text: two paths with
// the same identity are the same folder, however they were reached.
bool folder_identity(variant& path, variant& identity) noexcept;

// Slow storage (a network share) cannot be had on demand, so tests and
// benchmarks may stand in before every folder read: the hook gets the folder's
// path, on whichever thread reads it, and may wait or change the disk. None
// restores plain reading.
using folder_read_hook = void (*)(const variant& folder);
void set_folder_read_hook(folder_read_hook hook) noexcept;
folder_read_hook current_folder_read_hook() noexcept;  // for the platform's find_files

// Reads the entries of `folder` that match `pattern` into `tree`: under
// `parent` (or at the top level; the parent is ignored in an empty tree), all
// folders first, then all files, each group in the system's order; with
// `skip_dots` "." and ".." are dropped. The folder is never made current. False,
// with nothing changed, when the folder cannot be read to its end (no match at
// all is an empty folder, not a failure).
bool find_files(variant& folder, entry_tree& tree, file_entry* parent, bool skip_dots,
                const variant& pattern) noexcept;

}  // namespace lumadir
