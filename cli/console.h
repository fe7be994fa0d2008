// The console side of lumadir-cli: progress on standard error when a person is
// watching, and the finished listing copied to standard output.
#pragma once

#include "base/variant.h"

namespace lumadir {

// True when standard error is a console (not a file or a pipe).
bool console_is_interactive() noexcept;
// Shows a progress text on one line of standard error, overwriting the last.
void console_progress(const char* text) noexcept;
// Ends the progress line.
void console_progress_done() noexcept;
// Copies a file to standard output, byte for byte.
bool copy_to_standard_output(const variant& path) noexcept;

}  // namespace lumadir
