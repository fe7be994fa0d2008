// The Windows shell: opening a file or address with its default program (through
// a seam tests can watch), shortcut files, the folder-browse dialog, and the
// deepest existing folder of a path.
#pragma once

#include <cstdint>

#include "base/variant.h"

namespace lumadir {

// Runs the verb on a file or web address with the shell (normal window, no
// owner); true when the shell reports success.
bool shell_open(const char* verb, const variant& target) noexcept;
// A test installs a hook that receives every shell open instead of the shell and
// answers for it; none restores the shell.
using shell_open_hook = bool (*)(const char* verb, const char* target);
void set_shell_open_hook(shell_open_hook hook) noexcept;

struct shortcut_request {
  variant shortcut_path;
  variant target_path;
  variant arguments;
  variant icon_file;
  int32_t icon_index = 0;
  int32_t show_command = 1;  // SW_SHOWNORMAL
  variant working_folder;
  shortcut_request() noexcept
      : shortcut_path(""), target_path(""), arguments(""), icon_file(""), working_folder("") {}
};
// Saves a shell link; true when the file was written.
bool make_shortcut(const shortcut_request& request) noexcept;

constexpr uint32_t browse_file_system_only = 1;  // BIF_RETURNONLYFSDIRS

struct browse_request {
  variant result;
  variant initial_folder;
  variant prompt;
  void* owner = nullptr;
  uint32_t flags = 0;
  browse_request() noexcept : result(""), initial_folder(""), prompt("") {}
};
// Shows the system's folder browser with the initial folder selected; true with
// the chosen folder in `result`. A cancel leaves the result as it was.
bool browse_for_folder(browse_request& request) noexcept;
// A test installs a hook that answers every folder browse instead of the
// dialog (and sees the request); none restores the dialog.
using browse_hook = bool (*)(browse_request& request);
void set_browse_hook(browse_hook hook) noexcept;
// The folder the browser preselects: trailing backslashes dropped, a bare drive
// ("C:") given its root backslash back.
variant browse_selection_of(const variant& initial_folder) noexcept;

// True when the process may write where an installation writes: elevated, or
// on a system that does not tell.
bool process_elevated() noexcept;

// Reduces the path to its deepest folder that exists (C:\Data\Old\x.txt with
// only C:\Data present gives C:\Data; a bare drive gives its root). False, with
// an empty path, when the drive is not ready.
bool deepest_existing_folder(variant& path) noexcept;

}  // namespace lumadir
