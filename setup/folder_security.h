// The access rules an installation folder outside Program Files is given, so
// that it is as safe as one inside: a standard user must not be able to
// replace lumadir.exe or remove.exe, which an administrator later runs.
#pragma once

#include "base/variant.h"

namespace lumadir {

// Administrators and SYSTEM may do anything, users may read and run; inherited
// by everything inside, and protected from the rules of the folders above.
extern const char program_files_rules[];

// Whether the full path lies in (or is) the system's Program Files folder, or
// the one for 32-bit programs.
bool inside_program_files(const variant& path) noexcept;
// Makes the folder with program_files_rules from its first moment: given
// afterwards, they would leave a moment in which a user could put something
// into it that then stays theirs.
bool make_folder_with_program_files_rules(const variant& folder) noexcept;

}  // namespace lumadir
