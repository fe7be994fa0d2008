// The console side of lumadir-cli: progress on standard error when a person is
// watching, and the finished listing copied to standard output.
#pragma once

#include <cstdint>

#include "base/variant.h"
#include "engine/listing_settings.h"

namespace lumadir {

// True when the handle is a console. A file, a pipe or the NUL device is not,
// though the C library's isatty takes the NUL device (any character device)
// for one.
bool is_console(void* handle) noexcept;
// True when standard error is a console: only then is progress shown.
bool console_is_interactive() noexcept;
// Shows progress on one line of standard error, a few times a second: the
// folder being read and the folders and files listed so far.
void console_progress(const char* folder, int32_t folders, int64_t files) noexcept;
// Erases the progress line.
void console_progress_done() noexcept;
// From now on Ctrl+C, Ctrl+Break or a closed console window stops the run
// instead of killing the process, and waits for it to end, so that the run
// removes its unfinished file.
void stop_run_on_interrupt(listing_settings& settings) noexcept;
// Copies a file to standard output, byte for byte.
bool copy_to_standard_output(const variant& path) noexcept;

}  // namespace lumadir
