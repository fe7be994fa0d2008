// The program's entry: the run mode from the executable's own file name, the
// regular-expression library and the phrase tables prepared before any window
// exists, and released in a fixed order when the windows are gone.
#pragma once

#include "base/phrase_table.h"
#include "base/variant.h"

namespace lumadir {

// The running executable's path split at its last backslash; the file name,
// which chooses the mode, lower-cased. The path and folder keep their case: a
// folder may be case-sensitive, and the data files are found through it.
struct program_place {
  variant path{""};
  variant folder{""};     // up to and including the last "\"; empty without one
  variant file_name{""};  // the rest
};
program_place split_program_path(const variant& path) noexcept;

// The first token of the command-line text: a quoted run (quotes dropped, a
// missing closing quote running to the end) or a run up to the next space (any
// quotes in it dropped). False when there is none or it is empty.
bool first_token(const char* command_line, variant& token) noexcept;

// Whether the token names an existing folder or drive ("/" is turned into "\"
// in place first).
bool names_folder(variant& token) noexcept;

// Shows why a phrase file could not be loaded in an error box titled "Error":
// the text describe_load_error makes, which is left in `error_text`.
void show_load_error(phrase_load code, variant& error_text) noexcept;

// The whole program for one process; `command_line` is what follows the
// program's name. Always 0; shows at most one message box when it gives up.
int run_program(const char* command_line) noexcept;

}  // namespace lumadir
