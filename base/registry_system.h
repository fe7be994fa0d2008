// Windows only: the system's key for one of the program's registry roots, for
// code that works on keys directly (the installer's journal).
#pragma once

#include <windows.h>

#include "base/registry.h"

namespace lumadir {

HKEY system_registry_root(registry_root root) noexcept;

}  // namespace lumadir
