// The windows of each run mode: built, given what they need, localized, and
// the event loop run until the user closes the program.
#pragma once

#include "base/variant.h"

namespace lumadir {

class phrase_table;
class about_box;

// The installer's window and loop, in the folder it was started from.
void run_installer(phrase_table& language, const variant& program_folder,
                   const char* command_line) noexcept;

// The listing program's windows and loop. Returns the About box (or none),
// which start-up deletes after everything else.
about_box* run_listing_program(const variant& program_folder, phrase_table& language,
                               phrase_table& format, const char* command_line) noexcept;

void destroy_about_box(about_box* about) noexcept;

}  // namespace lumadir
