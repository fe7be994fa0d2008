#include <windows.h>

#include <cstdlib>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <atomic>

#include "base/file_system.h"
#include "base/owned_win.h"
#include "base/shell.h"
#include "base/text_encoding.h"
#include "base/variant_list.h"

namespace lumadir {

static std::atomic<shell_open_hook> installed_shell_hook{nullptr};

void set_shell_open_hook(shell_open_hook hook) noexcept {
  installed_shell_hook = hook;
}

bool shell_open(const char* verb, const variant& target) noexcept {
  if (shell_open_hook hook = installed_shell_hook.load()) return hook(verb, target.c_str());
  const HINSTANCE result =
      ShellExecuteA(nullptr, verb, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

bool make_shortcut(const shortcut_request& request) noexcept {
  com_scope com;
  bool saved = false;
  {
    com_ptr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.put_void())))
      return false;
    link->SetPath(request.target_path.c_str());
    if (request.arguments.length() > 0) link->SetArguments(request.arguments.c_str());
    link->SetIconLocation(request.icon_file.c_str(), request.icon_index);
    link->SetShowCmd(request.show_command);
    if (request.working_folder.length() > 0)
      link->SetWorkingDirectory(request.working_folder.c_str());
    if (const com_ptr<IPersistFile> file = link.query<IPersistFile>()) {
      utf16_text wide;
      if (wide.assign_wtf8(request.shortcut_path.c_str(), request.shortcut_path.length()))
        saved = SUCCEEDED(file->Save(reinterpret_cast<const wchar_t*>(wide.data()), TRUE));
    }
  }
  return saved;
}

variant browse_selection_of(const variant& initial_folder) noexcept {
  variant folder;
  folder.assign_text_of(initial_folder);
  while (folder.length() > 0 && folder.text().data()[folder.length() - 1] == '\\')
    folder.set_length(folder.length() - 1);
  if (folder.length() == 2 && folder.text().data()[1] == ':') folder.append('\\');
  return folder;
}

static int CALLBACK select_initial_folder(HWND dialog, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

static std::atomic<browse_hook> installed_browse_hook{nullptr};

void set_browse_hook(browse_hook hook) noexcept {
  installed_browse_hook = hook;
}

bool browse_for_folder(browse_request& request) noexcept {
  if (browse_hook hook = installed_browse_hook.load()) return hook(request);
  request.initial_folder.convert_to(static_cast<int>(variant_kind::text));
  request.prompt.convert_to(static_cast<int>(variant_kind::text));
  com_ptr<IMalloc> allocator;
  if (FAILED(SHGetMalloc(allocator.put()))) return false;
  char* display_name = static_cast<char*>(allocator->Alloc(MAX_PATH));
  if (!display_name) return false;

  const variant selection = browse_selection_of(request.initial_folder);
  BROWSEINFOA info = {};
  info.hwndOwner = static_cast<HWND>(request.owner);
  info.pidlRoot = nullptr;
  info.pszDisplayName = display_name;
  info.lpszTitle = request.prompt.length() > 0 ? request.prompt.c_str() : nullptr;
  info.ulFlags = request.flags;
  info.lpfn = select_initial_folder;
  info.lParam = selection.length() > 0 ? reinterpret_cast<LPARAM>(selection.c_str()) : 0;

  bool chosen = false;
  if (PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info)) {
    // Wide and as long as a path may be: a folder of long UTF-8 names easily
    // passes MAX_PATH bytes.
    constexpr DWORD longest_path = 32768;
    auto* path = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * longest_path));
    if (path && SHGetPathFromIDListEx(item, path, longest_path, GPFIDL_DEFAULT)) {
      request.result = wtf8_from_utf16(reinterpret_cast<const char16_t*>(path),
                                       static_cast<int32_t>(lstrlenW(path)));
      chosen = true;
    } else {
      request.result = "";
    }
    std::free(path);
    allocator->Free(item);
  }
  allocator->Free(display_name);
  return chosen;
}

bool deepest_existing_folder(variant& path) noexcept {
  to_backslashes(path);
  if (path.length() == 0) return false;
  variant_list pieces;
  pieces.split(variant('\\'), path);
  if (pieces.count() == 0) pieces.push_copy(path);  // too short to hold a backslash
  variant root;
  root.assign_text_of(pieces.first()->value);
  root.append('\\');
  if (!volume_ready(root)) {
    path = "";
    return false;
  }
  variant kept;
  kept.assign_text_of(pieces.first()->value);
  for (auto* piece = pieces.first()->next; piece; piece = piece->next) {
    variant candidate(kept);
    candidate.append('\\');
    candidate.append(piece->value);
    file_entry facts;
    if (!path_facts(candidate, facts) || !facts.is_folder) break;
    kept = static_cast<variant&&>(candidate);
  }
  if (kept.length() == 2 && kept.text().data()[1] == ':') kept.append('\\');
  path = static_cast<variant&&>(kept);
  return true;
}

bool process_elevated() noexcept {
  owned_handle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return true;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  const bool known =
      GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) != 0;
  return !known || elevation.TokenIsElevated != 0;
}

}  // namespace lumadir
