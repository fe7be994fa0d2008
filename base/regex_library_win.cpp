#include <windows.h>

#include "base/owned_win.h"
#include "base/regex_binding.h"
#include "base/regex_library.h"

namespace lumadir {

namespace regex_library {
entry_points api;
}

static owned_module regex_module;

bool load_regex_library(const char* file_name) noexcept {
  unload_regex_library();
  // A missing file must not raise the system's "cannot find" dialog.
  const UINT previous_mode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
  owned_module loaded(LoadLibraryA(file_name));
  SetErrorMode(previous_mode);
  if (!loaded) return false;

  regex_library::entry_points found;
  const HMODULE module = loaded.get();
  auto resolve = [module](const char* name) { return GetProcAddress(module, name); };
  FARPROC p;
  if (!(p = resolve("regcomp"))) return false;
  found.regcomp = reinterpret_cast<regex_library::regcomp_fn>(reinterpret_cast<void*>(p));
  if (!(p = resolve("regexec"))) return false;
  found.regexec = reinterpret_cast<regex_library::regexec_fn>(reinterpret_cast<void*>(p));
  if (!(p = resolve("regerror"))) return false;
  found.regerror = reinterpret_cast<regex_library::regerror_fn>(reinterpret_cast<void*>(p));
  if (!(p = resolve("regfree"))) return false;
  found.regfree = reinterpret_cast<regex_library::regfree_fn>(reinterpret_cast<void*>(p));
  regex_library::api = found;
  regex_module = static_cast<owned_module&&>(loaded);
  return true;
}

void unload_regex_library() noexcept {
  regex_library::api = {};
  regex_module.reset();
}

}  // namespace lumadir
