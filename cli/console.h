// The console side of lumadir-cli: progress on standard error when a person is
// watching, and the finished listing copied to standard output.
#pragma once

#include "base/variant.h"
#include "engine/listing_settings.h"

namespace lumadir {

// True when standard error is a console (not a file or a pipe).
bool console_is_interactive() noexcept;
// Shows a progress text on one line of standard error, overwriting the last.
void console_progress(const char* text) noexcept;
// Ends the progress line.
void console_progress_done() noexcept;
// From now on Ctrl+C, Ctrl+Break or a closed console window stops the run
// instead of killing the process, and waits for it to end, so that the run
// removes its unfinished file.
void stop_run_on_interrupt(listing_settings& settings) noexcept;
// Copies a file to standard output, byte for byte.
bool copy_to_standard_output(const variant& path) noexcept;

}  // namespace lumadir
