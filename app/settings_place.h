// Where settings.ini lives. A program folder the user may write to (a copy run
// from a USB stick or any folder of the user's) keeps its settings beside the
// program. An installation under Program Files cannot be written by a standard
// user, so its settings live in the user's application-data folder, under
// VEXA\Lumadir, seeded from the program folder's copy the first time.
#pragma once

#include "base/variant.h"

namespace lumadir {

// The full path of the settings file. `user_data` is the application-data
// folder (without the VEXA\Lumadir part); when it is empty the program folder
// is used whatever its rights.
variant settings_file_place(const variant& program_folder, const variant& user_data) noexcept;

}  // namespace lumadir
